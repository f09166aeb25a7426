// The application's data store: the settings and the current custom beat.
// Built with the defaults; the application loads it at start (settings from
// the registry, the pattern from the data file) and saves it at exit.
#pragma once

#include <memory>
#include <string>

#include "model/BeatPattern.h"
#include "model/FileStore.h"
#include "model/Settings.h"

// The current pattern between runs.
inline constexpr char kDataFileName[] = "Pulsewick.da_";

class CAppData {
public:
    explicit CAppData(IRegistry& registry = SystemRegistry(), IFileWriter& disk = SystemFileWriter());
    CAppData(const CAppData&) = delete;
    CAppData& operator=(const CAppData&) = delete;
    virtual ~CAppData() = default;

    // Appends 5 tracks of 16 silent cells to the current pattern.
    void MakeDefaultPattern();

    // False when the path is empty or the file could not be written whole; an
    // existing file at the path is then left as it was, and GetLastError says
    // why.
    static bool WritePatternFile(const CCustomBeat& pattern, const std::string& path,
                                 IFileWriter& disk = SystemFileWriter());
    // False when the file cannot be read or holds no acceptable pattern; the
    // pattern is then left unchanged.
    static bool ReadPatternFile(const std::string& path, CCustomBeat& pattern);

    // The settings, then the data file over the default pattern. Decides
    // where the data file goes: the program's folder where files can be made
    // in it (a portable copy stays portable), else the user's data folder.
    // The file is read from there, or from the other place until it is
    // written there.
    void Load();
    // The current pattern from the data folder's file; unchanged if that fails.
    bool LoadDataFile();
    // Stores the data file; "" when it was written, else a sentence saying
    // what could not be written, where, and why.
    std::string SaveDataFile() const;
    // Stores the data file and then the settings; "" when both were written,
    // else a sentence for each that was not.
    std::string Save() const;

    // The program's folder with a trailing backslash ("" if unknown).
    static std::string GetProgramDir();
    // The user's own folder for Pulsewick's files, %APPDATA%\Pulsewick\ with
    // a trailing backslash ("" if the system has none). It is not made until
    // something is stored there: CreateFolders makes it.
    static std::string GetUserDataFolder();
    // Where the data file is read and written, decided by Load: the program's
    // folder or the user's data folder, with a trailing backslash.
    const std::string& GetDataFolder() const { return m_strDataFolder; }

    // Toolbar item selected when the editor last closed; 11 is the move tool.
    int m_nToolIndex = 11;
    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<CCustomBeat> m_pCustomBeat;

private:
    IFileWriter& m_disk;
    std::string m_strDataFolder = GetProgramDir();
};
