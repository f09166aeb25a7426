// Whole-file reading and writing for the pattern files and the data file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Reads a file from its start, at most maxSize bytes.
bool ReadFileBytes(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes);

// Replaces a file as a whole: the bytes go to a new file in the same folder,
// which takes the old one's name only once everything is written and flushed.
// On any failure (the folder cannot be written, the file is read-only, the
// disk is full) the old file is left as it was, the new one is removed, and
// the result is false.
bool ReplaceFileContents(const std::string& path, std::span<const unsigned char> bytes);

// Tests stand in for the disk: the writer gets the open new file and the bytes
// for it and says whether they were stored. An empty writer restores the disk.
using FileWriter = std::function<bool(HANDLE file, std::span<const unsigned char> bytes)>;
void SetTestFileWriter(FileWriter writer);
