#include "model/LibraryStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "model/FileBytes.h"
#include "model/FpcBuild.h"

namespace kvaril {

namespace {

// FNV-1a over 64-bit words: a library is read on every F9 and every run of a sweep, and a byte
// at a time its hash took longer than the rest of the check.
class TFnv1a {
  public:
    void Add(const char* data, size_t size) {
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            std::memcpy(&word, data + i, 8);
            Mix(word);
        }
        // The last bytes, with the length in the top byte: "a\0" is not "a".
        uint64_t tail = 0;
        std::memcpy(&tail, data + i, size - i);
        Mix(tail | (uint64_t{size & 0xFF} << 56));
    }
    void Add(const std::string& text) {
        Add(text.data(), text.size());
        Add("\n", 1);  // keeps "ab"+"c" apart from "a"+"bc"
    }
    std::string Hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

  private:
    void Mix(uint64_t word) {
        hash_ ^= word;
        hash_ *= 1099511628211ull;
        hash_ ^= hash_ >> 29;
    }

    uint64_t hash_ = 14695981039346656037ull;
};

std::optional<std::string> LibraryFingerprint(const std::string& binDir) {
    const std::optional<std::string> library = ReadRegularFile(binDir + "kvml.dll");
    if (!library || library->empty()) return std::nullopt;
    TFnv1a hash;
    hash.Add(*library);
    return hash.Hex();
}

}  // namespace

std::optional<std::string> ProgramIdentity(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(path, ec);
    if (ec) return std::nullopt;
    struct stat st {};
    if (::stat(real.c_str(), &st) != 0) return std::nullopt;
    return real.string() + " " + std::to_string(st.st_size) + " " +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
           std::to_string(st.st_ino);
}

std::optional<std::string> BuildInputsFingerprint(const std::string& binDir) {
    TFnv1a hash;
    for (const char* name : {"kvm.pas", "kvml.dpr", "uSignalsData.pas"}) {
        const std::optional<std::string> bytes = ReadRegularFile(binDir + name);
        if (!bytes) return std::nullopt;
        hash.Add(*bytes);
    }
    const std::optional<std::string> standIn = ProgramIdentity(binDir + "dcc32");
    const std::optional<std::string> compilerPath = FindFreePascal();
    if (!standIn || !compilerPath) return std::nullopt;
    const std::optional<std::string> compiler = ProgramIdentity(*compilerPath);
    if (!compiler) return std::nullopt;
    hash.Add(*standIn);
    hash.Add(*compilerPath);
    hash.Add(*compiler);
    return hash.Hex();
}

bool LibraryIsUpToDate(const std::string& binDir, const std::string& inputs) {
    const std::optional<std::string> stamp = ReadRegularFile(binDir + kLibraryStampName);
    const std::optional<std::string> library = LibraryFingerprint(binDir);
    return stamp && library && *stamp == "inputs " + inputs + "\nlibrary " + *library + "\n";
}

void WriteLibraryStamp(const std::string& binDir, const std::string& inputs) {
    const std::optional<std::string> library = LibraryFingerprint(binDir);
    if (!library) return;
    const std::string text = "inputs " + inputs + "\nlibrary " + *library + "\n";
    const std::string path = binDir + kLibraryStampName;
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0)
        ::unlink(temp.c_str());
}

void RemoveLibraryStamp(const std::string& binDir) {
    ::unlink((binDir + kLibraryStampName).c_str());
}

}  // namespace kvaril
