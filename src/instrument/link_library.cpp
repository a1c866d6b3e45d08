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

const BindResult& LinkLibrary::bind()
{
    if (tried_)
        return result_;
    tried_ = true;

    std::string path;
    if (!dir_.empty()) {
        path = (std::filesystem::path(dir_) / fileName_).string();
    } else {
        // The build and the installation keep the libraries beside the
        // program; the loader's own search is the fallback.
        const std::string here = programFolder();
        std::error_code ec;
        if (!here.empty() && std::filesystem::exists(std::filesystem::path(here) / fileName_, ec))
            path = (std::filesystem::path(here) / fileName_).string();
        else
            path = fileName_;
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
