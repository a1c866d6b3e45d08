#include "cal/text_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbilan::cal {

namespace fs = std::filesystem;

namespace {

FileError fromErrno(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {70, "Permission denied"};
    case ENOENT:
    case ENOTDIR:
        return {76, "Path not found"};
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return {61, "Disk full"};
    case EIO:
        return {57, "Device I/O error"};
    default:
        return {75, "Path/File access error"};
    }
}

const FileError SymbolicLink{75, "The file is a symbolic link: it is not written through"};
const FileError NotRegular{75, "Not a regular file"};
const FileError TooLarge{7, "The file is too large"};

// Every byte, through short writes and interruptions.
bool writeAll(int fd, std::string_view bytes, int& err)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// A file that `existing` describes, or nothing: the new file is then made as
// any new file of the user's is.
struct Existing {
    bool present = false;
    struct stat st {};
};

std::optional<FileError> checkTarget(const std::string& path, Existing& existing)
{
    // lstat, not stat: a link is judged as itself, never by what it names.
    if (::lstat(path.c_str(), &existing.st) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        return fromErrno(errno);
    }
    existing.present = true;
    if (S_ISLNK(existing.st.st_mode))
        return SymbolicLink;
    if (!S_ISREG(existing.st.st_mode))
        return NotRegular;
    // What a shell checks before it truncates a file for `>`: a read-only
    // file stays as it is even though its folder would allow a rename.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return fromErrno(errno);
    return std::nullopt;
}

} // namespace

std::optional<FileError> ReplaceFileContents(const std::string& path, std::string_view contents)
{
    if (path.empty())
        return FileError{76, "Path not found"};
    Existing existing;
    if (auto refused = checkTarget(path, existing))
        return refused;

    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Only the permission bits carry over: a set-id bit on a data file would
    // be a gift to whoever can run it.
    const mode_t mode = existing.present ? (existing.st.st_mode & 0777) : 0666;

    // A fresh name beside the target, so that the final rename stays within
    // one file system; O_EXCL refuses anything that exists, a link included.
    std::random_device rd;
    int fd = -1;
    fs::path temp;
    int openError = 0;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
        temp = folder / ("." + target.filename().string() + "." + suffix + ".tmp");
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        openError = errno;
        if (fd < 0 && openError != EEXIST)
            break;
    }
    if (fd < 0)
        return fromErrno(openError);

    auto failWith = [&temp, &fd](int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return fromErrno(err);
    };
    if (existing.present) {
        // The umask may have narrowed the mode it was created with; it is
        // never wider than the old file's. Owner first: a change of owner
        // may clear mode bits. Someone else's file stays theirs only where
        // the user may give it away (as the super-user); the group where he
        // belongs to it.
        if (::fchown(fd, existing.st.st_uid, existing.st.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), existing.st.st_gid);
        if (::fchmod(fd, mode) != 0)
            return failWith(errno);
    }
    int err = 0;
    if (!writeAll(fd, contents, err))
        return failWith(err);
    // On the disk before it takes the target's place.
    if (::fsync(fd) != 0 && errno != EINVAL)
        return failWith(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return failWith(errno);
    // rename replaces a link planted since the check by itself, never the
    // file it names.
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return failWith(errno);
    return std::nullopt;
}

std::optional<FileError> ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes)
{
    out.clear();
    // Non-blocking, so that opening a pipe with no writer does not wait for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fromErrno(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        return NotRegular;
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > maxBytes)
        return TooLarge;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            out.clear();
            return fromErrno(e);
        }
        if (n == 0)
            return std::nullopt;
        out.append(buf, static_cast<std::size_t>(n));
        // It may have grown since it was measured.
        if (out.size() > maxBytes) {
            out.clear();
            return TooLarge;
        }
    }
}

std::string FileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

} // namespace orbilan::cal
