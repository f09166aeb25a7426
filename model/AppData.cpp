#include "model/AppData.h"

#include <shlobj.h>

#include "framework/Text.h"
#include "model/PatternCodec.h"

namespace {

// The data file is stored silently, also while the session ends: a folder on
// a drive that has gone away fails like any other instead of asking the user
// to put the disk back.
class QuietDiskErrors {
public:
    QuietDiskErrors() : m_dwPrevious(::GetThreadErrorMode()) {
        ::SetThreadErrorMode(m_dwPrevious | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    }
    QuietDiskErrors(const QuietDiskErrors&) = delete;
    QuietDiskErrors& operator=(const QuietDiskErrors&) = delete;
    ~QuietDiskErrors() { ::SetThreadErrorMode(m_dwPrevious, nullptr); }

private:
    DWORD m_dwPrevious;
};

} // namespace

CAppData::CAppData(IRegistry& registry, IFileWriter& disk)
    : m_pSettings(std::make_unique<CSettings>(registry)), m_pCustomBeat(std::make_unique<CCustomBeat>()),
      m_disk(disk) {
    MakeDefaultPattern();
}

void CAppData::MakeDefaultPattern() {
    for (int i = 0; i < kPatternTrackCount; ++i)
        m_pCustomBeat->AddTrack().SetCellCount(kDefaultStepCount);
}

bool CAppData::WritePatternFile(const CCustomBeat& pattern, const std::string& path, IFileWriter& disk) {
    return ReplaceFileContents(path, EncodePatternFile(pattern), disk);
}

bool CAppData::ReadPatternFile(const std::string& path, CCustomBeat& pattern) {
    ByteBuffer bytes;
    return !path.empty() && ReadFileBytes(path, kMaxPatternFileSize, bytes) &&
           DecodePatternFile(bytes, pattern);
}

void CAppData::Load() {
    m_pSettings->Load();
    std::string program = GetProgramDir();
    std::string user = GetUserDataFolder();
    QuietDiskErrors quiet;
    m_strDataFolder = program.empty() || (!CanCreateFilesIn(program) && !user.empty()) ? user : program;
    const std::string& other = m_strDataFolder == program ? user : program;
    if (IsFile(m_strDataFolder + kDataFileName) || other.empty())
        LoadDataFile();
    else
        ReadPatternFile(other + kDataFileName, *m_pCustomBeat);
}

bool CAppData::LoadDataFile() {
    return !m_strDataFolder.empty() && ReadPatternFile(m_strDataFolder + kDataFileName, *m_pCustomBeat);
}

std::string CAppData::SaveDataFile() const {
    QuietDiskErrors quiet;
    std::string path = m_strDataFolder.empty() ? std::string() : m_strDataFolder + kDataFileName;
    if (!m_strDataFolder.empty() && CreateFolders(m_strDataFolder) &&
        WritePatternFile(*m_pCustomBeat, path, m_disk))
        return {};
    DWORD error = ::GetLastError();
    if (path.empty())
        return "The custom beat could not be stored: the program's folder is unknown.";
    return WriteFailure("The custom beat", path, error);
}

std::string CAppData::Save() const {
    std::string failures = SaveDataFile();
    LONG settings = m_pSettings->Save();
    if (settings != ERROR_SUCCESS) {
        failures += failures.empty() ? "" : "\n\n";
        failures += WriteFailure("The settings", m_pSettings->GetStorePlace(), static_cast<DWORD>(settings));
    }
    return failures;
}

std::string CAppData::GetProgramDir() {
    return CSettings::GetAppDirectory();
}

std::string CAppData::GetUserDataFolder() {
    wchar_t* folder = nullptr;
    std::string path;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder)) &&
        folder && *folder)
        path = pw::Narrow(folder) + "\\Pulsewick\\";
    ::CoTaskMemFree(folder);
    return path;
}
