#include "instrument/link_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace orbilan::instrument {

LinkLibrary::LinkLibrary(std::string fileName, std::vector<std::string> functions)
    : fileName_(std::move(fileName)), names_(std::move(functions)), addresses_(names_.size(), nullptr)
{
}

std::string LinkLibrary::programFolder()
{
#if defined(__linux__)
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return exe.parent_path().string();
#endif
    return {};
}

std::vector<std::string> LinkLibrary::searchFolders(const std::string& programFolder)
{
    if (programFolder.empty())
        return {};
    const std::filesystem::path here(programFolder);
    return {here.string(), (here / ".." / ORBILAN_PRIVATE_LIBDIR).lexically_normal().string()};
}

const BindResult& LinkLibrary::bind()
{
    if (tried_)
        return result_;
    tried_ = true;

    // Only folders that belong to the program are searched: the loader's own
    // search by bare name would also take a library from wherever
    // LD_LIBRARY_PATH points, and a port library runs with the user's rights
    // on the printer port and the USB device.
    const std::vector<std::string> folders = dir_.empty() ? searchFolders(programFolder()) : std::vector{dir_};
    std::string path;
    for (const std::string& folder : folders) {
        std::error_code ec;
        const auto candidate = std::filesystem::path(folder) / fileName_;
        if (std::filesystem::exists(candidate, ec)) {
            path = candidate.string();
            break;
        }
    }
    if (path.empty()) {
        std::string where;
        for (const std::string& folder : folders)
            where += (where.empty() ? "" : " or ") + folder;
        result_ = {false, {}, fileName_ + " is not in " + (where.empty() ? "the program's folder" : where)};
        return result_;
    }

    // Never closed: a transport stays bound until the program ends.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        result_ = {false, {}, why ? why : path};
        return result_;
    }
    for (std::size_t i = 0; i < names_.size(); ++i) {
        dlerror();
        void* address = dlsym(handle, names_[i].c_str());
        if (!address) {
            const char* why = dlerror();
            result_ = {false, names_[i], why ? why : names_[i]};
            return result_;
        }
        addresses_[i] = address;
    }
    handle_ = handle;
    bound_ = true;
    result_ = {};
    return result_;
}

void* LinkLibrary::optionalFunction(const std::string& name) const
{
    return bound_ ? dlsym(handle_, name.c_str()) : nullptr;
}

} // namespace orbilan::instrument
