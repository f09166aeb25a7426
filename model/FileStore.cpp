#include "model/FileStore.h"

#include <algorithm>
#include <cwchar>

#include "framework/Handle.h"
#include "framework/Text.h"

namespace {

class SystemDisk : public IFileWriter {
public:
    bool Write(HANDLE file, std::span<const unsigned char> bytes) override {
        while (!bytes.empty()) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr))
                return false;
            if (written == 0) {
                ::SetLastError(ERROR_WRITE_FAULT);
                return false;
            }
            bytes = bytes.subspan(written);
        }
        return true;
    }
};

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

// A new file of its own name in the folder, open for writing; removed again
// unless it has taken another file's place. The system's error at a failure
// outlives the removal.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& folder) {
        unsigned n = ::GetTickCount() ^ (::GetCurrentProcessId() * 40503u);
        for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
            wchar_t name[16];
            std::swprintf(name, 16, L"pw%04X.tmp", (n + attempt) & 0xFFFF);
            m_strPath = SystemPath(folder + pw::Narrow(name));
            m_file.Reset(::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!m_file && ::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        m_bCreated = static_cast<bool>(m_file);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        DWORD error = ::GetLastError();
        m_file.Reset();
        if (m_bCreated && !m_bKept)
            ::DeleteFileW(m_strPath.c_str());
        ::SetLastError(error);
    }
    explicit operator bool() const { return static_cast<bool>(m_file); }
    HANDLE Handle() const { return m_file.Get(); }
    const wchar_t* Path() const { return m_strPath.c_str(); }
    // Written through and closed; false with the system's error otherwise.
    bool Close() { return ::FlushFileBuffers(m_file.Get()) && ::CloseHandle(m_file.Detach()); }
    void Keep() { m_bKept = true; }

private:
    std::wstring m_strPath;
    pw::UniqueFileHandle m_file;
    bool m_bCreated = false;
    bool m_bKept = false;
};

} // namespace

IFileWriter& SystemFileWriter() {
    static SystemDisk disk;
    return disk;
}

std::wstring SystemPath(const std::string& path) {
    std::wstring wide = pw::Widen(path);
    // The ordinary form ends at MAX_PATH, less room for a file name in a
    // folder; the extended one takes no "/" and no relative path.
    constexpr std::size_t kOrdinaryLimit = MAX_PATH - 14;
    bool drive = wide.size() > 2 && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/');
    bool share = wide.size() > 2 && (wide[0] == L'\\' || wide[0] == L'/') &&
                 (wide[1] == L'\\' || wide[1] == L'/') && wide[2] != L'?' && wide[2] != L'.';
    if (wide.size() < kOrdinaryLimit || !(drive || share))
        return wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return drive ? L"\\\\?\\" + wide : L"\\\\?\\UNC\\" + wide.substr(2);
}

bool ReadFileBytes(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes) {
    pw::UniqueFileHandle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0)
        return false;
    std::size_t wanted = static_cast<std::size_t>(
        std::min<unsigned long long>(static_cast<unsigned long long>(size.QuadPart), maxSize));
    bytes.resize(wanted);
    std::size_t done = 0;
    while (done < wanted) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - done, 1u << 20));
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr))
            return false;
        if (read == 0)
            break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool ReplaceFileContents(const std::string& path, std::span<const unsigned char> bytes, IFileWriter& writer) {
    if (path.empty()) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring target = SystemPath(path);
    // Renaming over a read-only file would succeed on some systems where
    // writing it would not; it stays protected everywhere.
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    TemporaryFile temporary(FolderOf(path));
    if (!temporary || !writer.Write(temporary.Handle(), bytes) || !temporary.Close())
        return false;
    if (!::MoveFileExW(temporary.Path(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    temporary.Keep();
    return true;
}

bool IsFile(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CanCreateFilesIn(const std::string& folder) {
    TemporaryFile probe(folder);
    return static_cast<bool>(probe);
}

bool CreateFolders(const std::string& folder) {
    std::wstring path = SystemPath(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::size_t slash = folder.find_last_of("\\/", folder.find_last_not_of("\\/"));
    if (slash != std::string::npos && slash > 0 && folder[slash - 1] != ':' &&
        !CreateFolders(folder.substr(0, slash)))
        return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string WriteFailure(const std::string& what, const std::string& where, DWORD error) {
    return what + " could not be written to " + where + ": " + pw::ErrorText(error);
}
