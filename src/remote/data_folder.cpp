#include "remote/data_folder.h"

#include <filesystem>
#include <system_error>

namespace orbilan::remote {

namespace fs = std::filesystem;

DataFolder::DataFolder(const std::string& folder)
{
    std::error_code ec;
    const fs::path canonical = fs::canonical(folder.empty() ? "." : folder, ec);
    if (!ec && fs::is_directory(canonical, ec))
        root_ = canonical.string();
}

bool DataFolder::inside(const std::string& path) const
{
    if (root_ == "/")
        return path.size() > 1 && path[0] == '/';
    return path.size() > root_.size() + 1 && path.compare(0, root_.size(), root_) == 0 && path[root_.size()] == '/';
}

std::optional<std::string> DataFolder::forReading(const std::string& name, std::string& why) const
{
    return resolve(name, true, why);
}

std::optional<std::string> DataFolder::forWriting(const std::string& name, std::string& why) const
{
    return resolve(name, false, why);
}

std::optional<std::string> DataFolder::resolve(const std::string& name, bool mustExist, std::string& why) const
{
    if (!valid()) {
        why = "the data folder is missing";
        return std::nullopt;
    }
    if (name.empty()) {
        why = "no file name";
        return std::nullopt;
    }
    const fs::path given(name);
    if (given.is_absolute() || name.front() == '/') {
        why = "absolute paths are refused: name a file in the data folder";
        return std::nullopt;
    }
    for (const fs::path& part : given)
        if (part == "..") {
            why = "a name with .. is refused: name a file in the data folder";
            return std::nullopt;
        }
    if (name.back() == '/' || given.filename().empty() || given.filename() == ".") {
        why = name + " names a folder, not a file";
        return std::nullopt;
    }

    const fs::path full = fs::path(root_) / given;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(full, ec);
    const bool exists = !ec && fs::exists(status);
    if (mustExist || exists) {
        // Every link on the way, the last one included, must stay inside.
        const fs::path real = fs::canonical(full, ec);
        if (ec) {
            why = mustExist ? name + " does not exist in the data folder" : name + " leads nowhere";
            return std::nullopt;
        }
        if (!inside(real.string())) {
            why = name + " leads out of the data folder";
            return std::nullopt;
        }
        if (fs::is_directory(real, ec)) {
            why = name + " is a folder, not a file";
            return std::nullopt;
        }
        return real.string();
    }
    // A new file: its folder must exist and lie inside.
    const fs::path folder = fs::canonical(full.parent_path(), ec);
    if (ec || !fs::is_directory(folder, ec)) {
        why = "the folder of " + name + " does not exist in the data folder";
        return std::nullopt;
    }
    const fs::path real = folder / full.filename();
    if (folder.string() != root_ && !inside(folder.string())) {
        why = name + " leads out of the data folder";
        return std::nullopt;
    }
    return real.string();
}

} // namespace orbilan::remote
