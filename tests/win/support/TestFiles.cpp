#include "TestFiles.h"

#include <fstream>
#include <iterator>

namespace pwtest {

TempFolder::TempFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    for (unsigned n = ::GetTickCount() ^ ::GetCurrentProcessId();; ++n) {
        std::string path = std::string(base) + "pwtest" + std::to_string(n);
        if (::CreateDirectoryA(path.c_str(), nullptr)) {
            m_strPath = path + "\\";
            break;
        }
    }
}

TempFolder::~TempFolder() {
    for (const std::string& name : Files()) {
        ::SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(Path(name).c_str());
    }
    ::RemoveDirectoryA(m_strPath.c_str());
}

std::vector<std::string> TempFolder::Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(Path("*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return names;
}

FileBackup::FileBackup(std::string path) : m_strPath(std::move(path)) {
    m_bExisted = ReadWholeFile(m_strPath, m_bytes);
}

FileBackup::~FileBackup() {
    ::SetFileAttributesA(m_strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (m_bExisted)
        WriteWholeFile(m_strPath, m_bytes);
    else
        ::DeleteFileA(m_strPath.c_str());
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ExeFolder() {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of('\\') + 1);
}

} // namespace pwtest
