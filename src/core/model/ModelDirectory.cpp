#include "model/ModelDirectory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kvaril {

namespace fs = std::filesystem;

std::string ProgramDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return exe.parent_path().string() + "/";
}

std::string ResolveBinDir(const std::string& programDir) {
    const fs::path shipped = fs::path(programDir) / "Bin";
    if (::access(shipped.c_str(), W_OK) == 0) return shipped.string() + "/";

    // An installed copy: builds need a folder of their own.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = cache && *cache ? fs::path(cache)
                    : home && *home ? fs::path(home) / ".cache"
                                    : fs::temp_directory_path();
    const fs::path copy = base / "kvaril" / "Bin";
    std::error_code ec;
    fs::create_directories(copy, ec);
    for (const auto& entry : fs::directory_iterator(shipped, ec)) {
        if (!entry.is_regular_file()) continue;
        const fs::path target = copy / entry.path().filename();
        std::error_code ignored;
        if (!fs::exists(target) ||
            fs::last_write_time(target, ignored) < fs::last_write_time(entry.path(), ignored))
            fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing, ignored);
    }
    return copy.string() + "/";
}

}  // namespace kvaril
