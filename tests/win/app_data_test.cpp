// The data store with real files: pattern files, the data file beside the
// program, and what a failing disk leaves behind.
#include <gtest/gtest.h>

#include "RegistryBackup.h"
#include "TestFiles.h"
#include "framework/Text.h"
#include "model/AppData.h"
#include "model/FileStore.h"
#include "model/PatternCodec.h"

namespace {

using pwtest::FileExists;
using pwtest::ReadWholeFile;
using pwtest::TempFolder;
using pwtest::WriteWholeFile;

CCustomBeat MakePattern(int tracks, int steps, int stepsPerBeat) {
    CCustomBeat beat;
    beat.m_nStepsPerBeat = stepsPerBeat;
    for (int t = 0; t < tracks; ++t)
        beat.AddTrack().SetCellCount(steps);
    return beat;
}

CCustomBeat SomePattern() {
    CCustomBeat beat = MakePattern(5, 26, 6);
    beat.GetTrack(0).GetCell(0) = CBeatCell{"Kick", 129, 0};
    beat.GetTrack(3).GetCell(25) = CBeatCell{"Tambourine", 143, 0};
    return beat;
}

// Stands in for a disk that fills up half-way through a file.
class FailingDisk : public IFileWriter {
public:
    bool Write(HANDLE file, std::span<const unsigned char> bytes) override {
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size() / 2), &written, nullptr);
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    }
};

TEST(PatternFiles, WrittenFileReadsBackEqual) {
    TempFolder folder;
    std::string path = folder.Path("beat.pwk");
    CCustomBeat beat = SomePattern();
    ASSERT_TRUE(CAppData::WritePatternFile(beat, path));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, EncodePatternFile(beat));
    CCustomBeat read;
    ASSERT_TRUE(CAppData::ReadPatternFile(path, read));
    EXPECT_EQ(read, beat);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"beat.pwk"});
}

TEST(PatternFiles, DefaultPatternFileIs1045Bytes) {
    TempFolder folder;
    ASSERT_TRUE(CAppData::WritePatternFile(MakePattern(5, 16, 4), folder.Path("default.pwk")));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadWholeFile(folder.Path("default.pwk"), bytes));
    EXPECT_EQ(bytes.size(), 1045u);
}

TEST(PatternFiles, OverwritingALongerFileLeavesNothingOfIt) {
    TempFolder folder;
    std::string path = folder.Path("beat.pwk");
    ASSERT_TRUE(WriteWholeFile(path, std::vector<unsigned char>(5000, 0x55)));
    CCustomBeat beat = MakePattern(5, 8, 2);
    ASSERT_TRUE(CAppData::WritePatternFile(beat, path));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, EncodePatternFile(beat));
}

TEST(PatternFiles, ReadFailuresLeaveThePatternUnchanged) {
    TempFolder folder;
    CCustomBeat beat = SomePattern();
    CCustomBeat read = beat;
    EXPECT_FALSE(CAppData::ReadPatternFile(folder.Path("missing.pwk"), read));
    EXPECT_FALSE(CAppData::ReadPatternFile("", read));
    EXPECT_FALSE(CAppData::ReadPatternFile(folder.Path(), read));

    ByteBuffer bytes = EncodePatternFile(MakePattern(5, 16, 4));
    bytes.resize(bytes.size() - 1);
    ASSERT_TRUE(WriteWholeFile(folder.Path("truncated.pwk"), bytes));
    EXPECT_FALSE(CAppData::ReadPatternFile(folder.Path("truncated.pwk"), read));
    EXPECT_EQ(read, beat);
}

TEST(PatternFiles, PathsThatCannotBeWrittenFail) {
    TempFolder folder;
    CCustomBeat beat = SomePattern();
    EXPECT_FALSE(CAppData::WritePatternFile(beat, ""));
    EXPECT_FALSE(CAppData::WritePatternFile(beat, folder.Path("no such folder\\beat.pwk")));
    ASSERT_TRUE(::CreateDirectoryA(folder.Path("a folder").c_str(), nullptr));
    EXPECT_FALSE(CAppData::WritePatternFile(beat, folder.Path("a folder")));
    ::RemoveDirectoryA(folder.Path("a folder").c_str());
    EXPECT_TRUE(folder.Files().empty());
}

TEST(PatternFiles, ReadOnlyFileIsNotReplaced) {
    TempFolder folder;
    std::string path = folder.Path("locked.pwk");
    std::vector<unsigned char> old(100, 0x42);
    ASSERT_TRUE(WriteWholeFile(path, old));
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(CAppData::WritePatternFile(SomePattern(), path));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, old);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"locked.pwk"});
}

TEST(PatternFiles, FailedWriteLeavesThePreviousFileIntactAndNoLeftovers) {
    TempFolder folder;
    std::string path = folder.Path("beat.pwk");
    ASSERT_TRUE(CAppData::WritePatternFile(SomePattern(), path));
    std::vector<unsigned char> before;
    ASSERT_TRUE(ReadWholeFile(path, before));
    FailingDisk disk;
    EXPECT_FALSE(CAppData::WritePatternFile(MakePattern(5, 100, 8), path, disk));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_FALSE(CAppData::WritePatternFile(MakePattern(5, 100, 8), folder.Path("new.pwk"), disk));
    std::vector<unsigned char> after;
    ASSERT_TRUE(ReadWholeFile(path, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"beat.pwk"});
}

TEST(PatternFiles, AnyLettersAndAnyLength) {
    TempFolder folder;
    // Latin, Han and Greek letters, folders deeper than the old MAX_PATH.
    const std::string name = "Übungen 練習 Ασκήσεις";
    std::vector<std::string> folders{folder.Path(name)};
    while (pw::Widen(folders.back()).size() < 300)
        folders.push_back(folders.back() + "\\" + name);
    ASSERT_TRUE(CreateFolders(folders.back()));
    std::string path = folders.back() + "\\Rhythmus 節奏.pwk";
    ASSERT_GT(pw::Widen(path).size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_TRUE(CAppData::WritePatternFile(SomePattern(), path));
    CCustomBeat read;
    EXPECT_TRUE(CAppData::ReadPatternFile(path, read));
    EXPECT_EQ(read, SomePattern());
    EXPECT_TRUE(::DeleteFileW(SystemPath(path).c_str()));
    for (auto inner = folders.rbegin(); inner != folders.rend(); ++inner)
        EXPECT_TRUE(::RemoveDirectoryW(SystemPath(*inner).c_str())) << *inner;
}

// The data file beside the program and the registry are shared with the real
// program: both are put back after every test.
class DataFileTest : public testing::Test {
protected:
    void SetUp() override {
        ::DeleteFileA(m_strDataFile.c_str());
        ::DeleteFileA(m_strUserDataFile.c_str());
        ASSERT_FALSE(FileExists(m_strDataFile));
    }

    std::vector<unsigned char> DataFile() const {
        std::vector<unsigned char> bytes;
        ReadWholeFile(m_strDataFile, bytes);
        return bytes;
    }

    std::string m_strDataFile = pwtest::ExeFolder() + "Pulsewick.da_";
    pwtest::FileBackup m_dataBackup{m_strDataFile};
    std::string m_strUserDataFile = CAppData::GetUserDataFolder() + "Pulsewick.da_";
    pwtest::FileBackup m_userDataBackup{m_strUserDataFile};
    pwtest::RegistryBackup m_registryBackup{HKEY_LOCAL_MACHINE, kSettingsKey};
};

TEST_F(DataFileTest, ProgramDirIsTheExecutablesFolder) {
    EXPECT_EQ(CAppData::GetProgramDir(), pwtest::ExeFolder());
}

TEST_F(DataFileTest, FirstRunHasTheDefaultPatternAndWritesIt1045BytesAtTheEnd) {
    {
        CAppData data;
        data.Load();
        EXPECT_EQ(data.GetDataFolder(), pwtest::ExeFolder());
        EXPECT_EQ(*data.m_pCustomBeat, MakePattern(5, 16, 4));
        EXPECT_EQ(data.m_nToolIndex, 11);
        ASSERT_TRUE(data.m_pSettings);
        EXPECT_FALSE(FileExists(m_strDataFile));
        EXPECT_EQ(data.Save(), "");
    }
    EXPECT_FALSE(FileExists(m_strUserDataFile));
    std::vector<unsigned char> bytes = DataFile();
    EXPECT_EQ(bytes.size(), 1045u);
    EXPECT_EQ(bytes, EncodePatternFile(MakePattern(5, 16, 4)));
}

TEST_F(DataFileTest, StoredPatternIsLoadedAndWrittenBack) {
    ASSERT_TRUE(CAppData::WritePatternFile(SomePattern(), m_strDataFile));
    {
        CAppData data;
        data.Load();
        EXPECT_EQ(*data.m_pCustomBeat, SomePattern());
        data.m_pCustomBeat->GetTrack(1).GetCell(1) = CBeatCell{"Bell", 142, 0};
        EXPECT_EQ(data.Save(), "");
    }
    CCustomBeat expected = SomePattern();
    expected.GetTrack(1).GetCell(1) = CBeatCell{"Bell", 142, 0};
    EXPECT_EQ(DataFile(), EncodePatternFile(expected));
}

TEST_F(DataFileTest, MissingDataFileIsReadFromTheUsersFolderAndStoredBesideTheProgram) {
    ASSERT_TRUE(CreateFolders(CAppData::GetUserDataFolder()));
    ASSERT_TRUE(CAppData::WritePatternFile(SomePattern(), m_strUserDataFile));
    CAppData data;
    data.Load();
    EXPECT_EQ(*data.m_pCustomBeat, SomePattern());
    EXPECT_EQ(data.Save(), "");
    EXPECT_EQ(DataFile(), EncodePatternFile(SomePattern()));
}

TEST_F(DataFileTest, CorruptDataFileLeavesTheDefaultPattern) {
    ByteBuffer truncated = EncodePatternFile(SomePattern());
    truncated.resize(truncated.size() / 2);
    for (const ByteBuffer& corrupt : {ByteBuffer{}, ByteBuffer(3000, 0xFF), truncated}) {
        ASSERT_TRUE(WriteWholeFile(m_strDataFile, corrupt));
        CAppData data;
        data.Load();
        EXPECT_EQ(*data.m_pCustomBeat, MakePattern(5, 16, 4));
    }
}

TEST_F(DataFileTest, FailedWriteAtExitLeavesThePreviousDataFileIntact) {
    ASSERT_TRUE(CAppData::WritePatternFile(SomePattern(), m_strDataFile));
    std::vector<unsigned char> before = DataFile();
    FailingDisk disk;
    CAppData data(SystemRegistry(), disk);
    data.Load();
    EXPECT_EQ(*data.m_pCustomBeat, SomePattern());
    data.m_pCustomBeat->GetTrack(2).GetCell(2) = CBeatCell{"Snare", 131, 0};
    // Said once, with the place and the system's reason.
    std::string failure = data.Save();
    EXPECT_EQ(failure, "The custom beat could not be written to " + m_strDataFile + ": " +
                           pw::ErrorText(ERROR_DISK_FULL));
    EXPECT_EQ(DataFile(), before);
}

TEST_F(DataFileTest, DataFileIsWrittenBeforeTheSettings) {
    ASSERT_TRUE(pwtest::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey));
    // Notes whether the settings were there when the data file was written.
    class WatchingDisk : public IFileWriter {
    public:
        bool Write(HANDLE file, std::span<const unsigned char> bytes) override {
            ++writes;
            settingsStoredFirst = pwtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kSettingsKey);
            return SystemFileWriter().Write(file, bytes);
        }
        int writes = 0;
        bool settingsStoredFirst = true;
    } disk;
    CAppData data(SystemRegistry(), disk);
    data.Load();
    EXPECT_EQ(data.Save(), "");
    EXPECT_EQ(disk.writes, 1);
    EXPECT_FALSE(disk.settingsStoredFirst);
    EXPECT_TRUE(pwtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
    EXPECT_EQ(DataFile().size(), 1045u);
}

} // namespace
