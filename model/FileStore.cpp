#include "model/FileStore.h"

#include <algorithm>

#include "framework/Handle.h"

namespace {

FileWriter& TestWriter() {
    static FileWriter writer;
    return writer;
}

bool WriteAll(HANDLE file, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Removes the new file unless it has taken the old one's place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : m_strPath(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_bKept)
            ::DeleteFileA(m_strPath.c_str());
    }
    const char* Path() const { return m_strPath.c_str(); }
    void Keep() { m_bKept = true; }

private:
    std::string m_strPath;
    bool m_bKept = false;
};

} // namespace

bool ReadFileBytes(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes) {
    pw::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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

bool ReplaceFileContents(const std::string& path, std::span<const unsigned char> bytes) {
    if (path.empty())
        return false;
    // Renaming over a read-only file would succeed on some systems where
    // writing it would not; it stays protected everywhere.
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    char name[MAX_PATH];
    if (!::GetTempFileNameA(FolderOf(path).c_str(), "pw", 0, name))
        return false;
    TemporaryFile temporary(name);
    pw::UniqueFileHandle file(::CreateFileA(temporary.Path(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const FileWriter& testWriter = TestWriter();
    bool written = testWriter ? testWriter(file.Get(), bytes) : WriteAll(file.Get(), bytes);
    if (!written || !::FlushFileBuffers(file.Get()) || !::CloseHandle(file.Detach()))
        return false;
    if (!::MoveFileExA(temporary.Path(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    temporary.Keep();
    return true;
}

void SetTestFileWriter(FileWriter writer) {
    TestWriter() = std::move(writer);
}
