// A shared library bound by file name at its first use, like the port
// library and brindle: only the library of the chosen transport has to exist.
#pragma once

#include <string>
#include <vector>

namespace orbilan::instrument {

struct BindResult {
    bool ok = true;
    std::string function; // the missing function ("" when the library itself is missing)
    std::string detail;   // what the loader said
};

class LinkLibrary {
public:
    LinkLibrary(std::string fileName, std::vector<std::string> functions);
    LinkLibrary(const LinkLibrary&) = delete;
    LinkLibrary& operator=(const LinkLibrary&) = delete;

    const std::string& fileName() const { return fileName_; }
    // The one folder to load from; "" searches the folders of
    // searchFolders(programFolder()).
    void setDirectory(std::string dir) { dir_ = std::move(dir); }

    // Loads the library and resolves every function, once. A failure is
    // remembered and reported again by later calls.
    const BindResult& bind();
    bool bound() const { return bound_; }
    // The address of functions[i]; valid after a successful bind().
    void* function(std::size_t i) const { return addresses_[i]; }
    // A function the library may lack (a later addition); nullptr when it
    // does or the library is not bound.
    void* optionalFunction(const std::string& name) const;

    // The folder of the running program ("" when it cannot be found).
    static std::string programFolder();
    // Where a program in `programFolder` finds the libraries: beside itself
    // (the build tree) and then in the installed private library folder
    // (bin/../lib/orbilan). Never the working folder.
    static std::vector<std::string> searchFolders(const std::string& programFolder);

private:
    std::string fileName_;
    std::vector<std::string> names_;
    std::vector<void*> addresses_;
    std::string dir_;
    void* handle_ = nullptr;
    bool tried_ = false;
    bool bound_ = false;
    BindResult result_;
};

} // namespace orbilan::instrument
