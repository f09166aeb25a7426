#include "model/AppData.h"

#include "model/FileStore.h"
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

CAppData::CAppData()
    : m_pSettings(std::make_unique<CSettings>()), m_pCustomBeat(std::make_unique<CCustomBeat>()) {
    MakeDefaultPattern();
    LoadDataFile();
}

CAppData::~CAppData() {
    SaveDataFile();
    // The settings write the registry as they go, after the data file.
    m_pSettings.reset();
    m_pCustomBeat.reset();
}

void CAppData::MakeDefaultPattern() {
    for (int i = 0; i < kPatternTrackCount; ++i)
        m_pCustomBeat->AddTrack().SetCellCount(kDefaultStepCount);
}

bool CAppData::WritePatternFile(const CCustomBeat& pattern, const std::string& path) {
    return !path.empty() && ReplaceFileContents(path, EncodePatternFile(pattern));
}

bool CAppData::ReadPatternFile(const std::string& path, CCustomBeat& pattern) {
    ByteBuffer bytes;
    return ReadFileBytes(path, kMaxPatternFileSize, bytes) && DecodePatternFile(bytes, pattern);
}

bool CAppData::LoadDataFile() {
    std::string path = GetDataFilePath();
    return !path.empty() && ReadPatternFile(path, *m_pCustomBeat);
}

bool CAppData::SaveDataFile() const {
    QuietDiskErrors quiet;
    return WritePatternFile(*m_pCustomBeat, GetDataFilePath());
}

void CAppData::Save() const {
    SaveDataFile();
    m_pSettings->Save();
}

std::string CAppData::GetProgramDir() {
    return CSettings::GetAppDirectory();
}

std::string CAppData::GetDataFilePath() {
    std::string folder = GetProgramDir();
    return folder.empty() ? std::string() : folder + kDataFileName;
}
