// Whole-file reads and writes for the program's own files. A write goes to a
// temporary file beside the target, which then replaces the target in one
// step: a failed save never leaves a half-written or emptied file behind.
// Every file the program writes (calibration, data export, Touchstone,
// pictures) goes through ReplaceFileContents.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orbilan::cal {

// A failure in the numbering users of the program know from its messages
// (70 permission denied, 75 path/file access error, 76 path not found,
// 61 disk full, 57 device I/O error, 7 out of memory), with a short
// description.
struct FileError {
    int number = 0;
    std::string description;
};

// Replaces the file at path (created when missing) with contents. Refused,
// with nothing changed: a target that is a symbolic link (someone may have
// planted it where the user saves; the file it names is never written), and
// a target that exists but is not a regular file or that the user may not
// write, as a shell's redirection would refuse it. The new file keeps the
// old one's permissions (and owner and group where the user may set them);
// it is never readable by more people than the final file, not even while
// it is being written.
std::optional<FileError> ReplaceFileContents(const std::string& path, std::string_view contents);

// The whole file into out. Only a regular file is read (a device or a pipe
// could give data without end or none at all); one larger than maxBytes is
// refused as too large (number 7, out of memory), since none of the
// program's own files comes near it.
std::optional<FileError> ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes);

// The file name without its folder.
std::string FileNameOf(const std::string& path);

} // namespace orbilan::cal
