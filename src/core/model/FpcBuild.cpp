#include "model/FpcBuild.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

namespace kvaril {

namespace fs = std::filesystem;

std::optional<std::string> FindFreePascal() {
    if (const char* forced = std::getenv("KVARIL_PPCX64")) {
        if (*forced && ::access(forced, X_OK) == 0) return std::string(forced);
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/ppcx64";
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

namespace {

// The run-time library's units sit beside the real compiler binary (the one in PATH is
// usually a link): <prefix>/fpc/<version>/ppcx64 and <prefix>/fpc/<version>/units/x86_64-linux.
std::string RtlUnitsDir(const std::string& compiler) {
    std::error_code ec;
    fs::path real = fs::canonical(compiler, ec);
    if (ec) real = compiler;
    return (real.parent_path() / "units" / "x86_64-linux" / "rtl").string();
}

}  // namespace

std::vector<std::string> FpcArguments(const std::string& compiler, const std::string& project) {
    return {
        compiler,
        "-n",        // no fpc.cfg: the user's configuration must not change the build
        "-Mdelphi",  // Integer is 32-bit and string an AnsiString, as the signals expect
        "-O2",
        "-Cg",
        "-CF64",  // real constants in double precision, not single
        "-Ct",    // runaway recursion raises EStackOverflow
        // No -Cr or -Co: integer arithmetic wraps to 32 bits as the documents expect
        // (Seed * 1103515245 + 12345); a signal that wants checks writes {$R+} or {$Q+}.
        "-XX",     // smart linking and
        "-Xs",     // no symbols: a library of 200 KB instead of 1.3 MB, linked and loaded sooner
        "-vewhq",  // errors, warnings and hints with their numbers; notes off
        // Hints and warnings about correct code that would stop a build of ordinary signals:
        // unused parameter "t", unused local constants or types, hint-level "not
        // initialized", function result, managed types, operands widened to Int64.
        "-vm5024,5028,5057,5058,5060,5089,5090,5091,5092,5093,5094,4079,4080,4081",
        "-Fu" + RtlUnitsDir(compiler),
        "-FUunits",
        "-okvml.dll",
        project,
    };
}

std::vector<std::string> PatchUnitForFpc(std::vector<std::string> unit) {
    for (size_t i = 0; i < unit.size(); ++i) {
        if (unit[i] != "exports") continue;
        for (size_t j = i; j < unit.size(); ++j) {
            const bool last = unit[j].find(';') != std::string::npos;
            unit[j].clear();
            if (last) break;
        }
        unit[i] = "{$SAFEFPUEXCEPTIONS ON}";
        break;
    }
    return unit;
}

}  // namespace kvaril
