// The one folder whose files a client may name (MMEMory). A name is a path
// relative to it; an absolute path, a ".." and a link that leads out of it
// are refused, so that a client reaches no other file of the machine.
#pragma once

#include <optional>
#include <string>

namespace orbilan::remote {

class DataFolder {
public:
    // The folder must exist; valid() tells whether it does.
    explicit DataFolder(const std::string& folder);
    bool valid() const { return !root_.empty(); }
    // The folder, links resolved.
    const std::string& root() const { return root_; }

    // The file a client names, as a path with every link resolved, for
    // reading (it must exist) or for writing (its folder must exist; the
    // file itself may not). nullopt with `why` set when it is refused.
    std::optional<std::string> forReading(const std::string& name, std::string& why) const;
    std::optional<std::string> forWriting(const std::string& name, std::string& why) const;

private:
    std::optional<std::string> resolve(const std::string& name, bool mustExist, std::string& why) const;
    bool inside(const std::string& path) const;

    std::string root_;
};

} // namespace orbilan::remote
