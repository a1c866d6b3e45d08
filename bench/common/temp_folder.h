#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orbilan::bench {

// A new folder under the system's temporary folder; a benchmark without one
// cannot run at all.
inline std::string TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orbilan-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

} // namespace orbilan::bench
