// The application's data store: the settings and the current custom beat. The
// application object builds one at start (settings from the registry, the
// pattern from the data file) and destroys it at exit, which saves both.
#pragma once

#include <memory>
#include <string>

#include "model/BeatPattern.h"
#include "model/Settings.h"

// The current pattern between runs, in the program's own folder.
inline constexpr char kDataFileName[] = "Pulsewick.da_";

class CAppData {
public:
    // Settings first, then the default pattern, then the data file over it.
    CAppData();
    CAppData(const CAppData&) = delete;
    CAppData& operator=(const CAppData&) = delete;
    // The data file first, then the settings, then the pattern goes.
    virtual ~CAppData();

    // Appends 5 tracks of 16 silent cells to the current pattern.
    void MakeDefaultPattern();

    // False when the path is empty or the file could not be written whole; an
    // existing file at the path is then left as it was.
    static bool WritePatternFile(const CCustomBeat& pattern, const std::string& path);
    // False when the file cannot be read or holds no acceptable pattern; the
    // pattern is then left unchanged.
    static bool ReadPatternFile(const std::string& path, CCustomBeat& pattern);

    // The current pattern from the data file; unchanged if that fails.
    bool LoadDataFile();
    bool SaveDataFile() const;
    // Stores the data file and then the settings, as the destruction does,
    // but leaves everything in place: storing again, or at exit, writes the
    // same unless something changed meanwhile.
    void Save() const;
    // The program's folder with a trailing backslash ("" if unknown).
    static std::string GetProgramDir();

    // Toolbar item selected when the editor last closed; 11 is the move tool.
    int m_nToolIndex = 11;
    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<CCustomBeat> m_pCustomBeat;

private:
    static std::string GetDataFilePath();
};
