#include "model/ModelDirectory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kvaril {

namespace fs = std::filesystem;

std::string ProgramDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return exe.parent_path().string() + "/";
}

namespace {

// $XDG_CACHE_HOME, else ~/.cache from $HOME or the password database, else a folder of this
// user's own in the temporary folder (never one that another user could have made first).
fs::path CacheDir() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/') return cache;
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return fs::path(home) / ".cache";
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && *user->pw_dir == '/')
        return fs::path(user->pw_dir) / ".cache";
    return fs::temp_directory_path() / ("kvaril-" + std::to_string(::getuid()));
}

}  // namespace

std::string ResolveBinDir(const std::string& programDir) {
    const fs::path shipped = fs::path(programDir) / "Bin";
    std::error_code ec;
    if (fs::is_regular_file(shipped / kBuildTreeMark, ec) && ::access(shipped.c_str(), W_OK) == 0)
        return shipped.string() + "/";

    // An installed copy: builds need a folder of their own.
    const fs::path copy = CacheDir() / "kvaril" / "Bin";
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
