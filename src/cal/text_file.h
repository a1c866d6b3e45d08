// Whole-file reads and writes for the program's own files. A write goes to a
// temporary file beside the target, which then replaces the target in one
// step: a failed save never leaves a half-written or emptied file behind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orbilan::cal {

// A failure in the numbering users of the program know from its messages
// (70 permission denied, 75 path/file access error, 76 path not found,
// 61 disk full, 57 device I/O error), with a short description.
struct FileError {
    int number = 0;
    std::string description;
};

// Replaces the file at path (created when missing) with contents.
std::optional<FileError> ReplaceFileContents(const std::string& path, std::string_view contents);

// The whole file into out; files larger than maxBytes are refused (number 7,
// out of memory), since none of the program's own files comes near it.
std::optional<FileError> ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes);

// The file name without its folder.
std::string FileNameOf(const std::string& path);

} // namespace orbilan::cal
