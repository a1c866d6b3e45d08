#include "cal/text_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>
#define ORBILAN_HAVE_FSYNC 1
#endif

namespace orbilan::cal {

namespace fs = std::filesystem;

namespace {

FileError fromErrno(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
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

// Writing through a symbolic link keeps the link and replaces what it names.
fs::path resolvedTarget(const fs::path& p)
{
    std::error_code ec;
    if (fs::is_symlink(p, ec)) {
        const fs::path resolved = fs::weakly_canonical(p, ec);
        if (!ec)
            return resolved;
    }
    return p;
}

} // namespace

std::optional<FileError> ReplaceFileContents(const std::string& path, std::string_view contents)
{
    if (path.empty())
        return FileError{76, "Path not found"};
    const fs::path target = resolvedTarget(fs::path(path));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    // A fresh name beside the target, so that the final rename stays within
    // one file system; "x" refuses to reuse anything that exists.
    std::random_device rd;
    std::FILE* file = nullptr;
    fs::path temp;
    int openError = 0;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
        temp = folder / ("." + target.filename().string() + "." + suffix + ".tmp");
        errno = 0;
        file = std::fopen(temp.string().c_str(), "wbx");
        openError = errno;
        if (!file && openError != EEXIST)
            break;
    }
    if (!file)
        return fromErrno(openError);

    auto failWith = [&temp](int err) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return fromErrno(err);
    };
    errno = 0;
    if (!contents.empty() && std::fwrite(contents.data(), 1, contents.size(), file) != contents.size()) {
        const int err = errno ? errno : EIO;
        std::fclose(file);
        return failWith(err);
    }
    if (std::fflush(file) != 0) {
        const int err = errno ? errno : EIO;
        std::fclose(file);
        return failWith(err);
    }
#ifdef ORBILAN_HAVE_FSYNC
    // On the disk before it takes the target's place.
    if (::fsync(::fileno(file)) != 0 && errno != EINVAL) {
        const int err = errno;
        std::fclose(file);
        return failWith(err);
    }
#endif
    if (std::fclose(file) != 0)
        return failWith(errno ? errno : EIO);

    std::error_code ec;
    const auto existing = fs::status(target, ec);
    if (!ec && fs::is_regular_file(existing))
        fs::permissions(temp, existing.permissions(), ec);
    ec.clear();
    fs::rename(temp, target, ec);
    if (ec)
        return failWith(ec.value());
    return std::nullopt;
}

std::optional<FileError> ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes)
{
    out.clear();
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return fromErrno(errno);
    char buf[65536];
    for (;;) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, file);
        out.append(buf, n);
        if (out.size() > maxBytes) {
            std::fclose(file);
            out.clear();
            return FileError{7, "Out of memory"};
        }
        if (n < sizeof buf) {
            const bool failed = std::ferror(file) != 0;
            const int err = errno;
            std::fclose(file);
            if (failed) {
                out.clear();
                return fromErrno(err ? err : EIO);
            }
            return std::nullopt;
        }
    }
}

std::string FileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

} // namespace orbilan::cal
