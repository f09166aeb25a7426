// Whole-file reading and writing for the pattern files and the data file.
// Paths are UTF-8 and may be of any length: the system is called with their
// UTF-16 form, in its extended-length form where a path is too long for the
// ordinary one. Failures leave their reason in GetLastError.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

// Stores bytes in an open file; tests stand in for a disk that fails (see
// framework/CommonDialogs.h for how tests replace a piece of the platform).
class IFileWriter {
public:
    // False, with the system's error set, when not every byte was stored.
    virtual bool Write(HANDLE file, std::span<const unsigned char> bytes) = 0;

protected:
    ~IFileWriter() = default;
};
IFileWriter& SystemFileWriter();

// Reads a file from its start, at most maxSize bytes.
bool ReadFileBytes(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes);

// Replaces a file as a whole: the bytes go to a new file in the same folder,
// which takes the old one's name only once everything is written and flushed.
// On any failure (the folder cannot be written, the file is read-only, the
// disk is full) the old file is left as it was, the new one is removed, and
// the result is false.
bool ReplaceFileContents(const std::string& path, std::span<const unsigned char> bytes,
                         IFileWriter& writer = SystemFileWriter());

// True when a file (not a folder) is there.
bool IsFile(const std::string& path);
// True when a new file can be made in the folder (tried, and removed again).
bool CanCreateFilesIn(const std::string& folder);
// Makes the folder and those above it that are missing; true when it exists.
bool CreateFolders(const std::string& folder);

// The path as the wide-character calls take it.
std::wstring SystemPath(const std::string& path);

// What the user is told of a failed write: "<What> could not be written to
// <where>: <the system's reason>".
std::string WriteFailure(const std::string& what, const std::string& where, DWORD error);
