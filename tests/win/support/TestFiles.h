// Files for tests: private folders, backups of files the program owns.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pwtest {

// A new empty folder under the temporary folder, removed with what it holds.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    // The folder with a trailing backslash, followed by name.
    std::string Path(const std::string& name = {}) const { return m_strPath + name; }
    // Names of the files in it.
    std::vector<std::string> Files() const;

private:
    std::string m_strPath;
};

// Puts a file back as it was (or removes it if there was none) at the end.
class FileBackup {
public:
    explicit FileBackup(std::string path);
    FileBackup(const FileBackup&) = delete;
    FileBackup& operator=(const FileBackup&) = delete;
    ~FileBackup();

private:
    std::string m_strPath;
    bool m_bExisted = false;
    std::vector<unsigned char> m_bytes;
};

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes);
bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);
bool FileExists(const std::string& path);
// The folder of the running test program, with a trailing backslash.
std::string ExeFolder();

} // namespace pwtest
