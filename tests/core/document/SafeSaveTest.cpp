// Saving must never lose a document: odd folders, links, owners, leftovers of killed saves.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "TestFolder.h"
#include "base/Errors.h"
#include "base/PathRules.h"
#include "document/DocumentFile.h"
#include "document/LibraryFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class SafeSave : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TestFolder("kvaril-save");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ::chmod(dir_.c_str(), 0755);
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0755);
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static void Spit(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    int FileCount() const {
        return static_cast<int>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    // Runs `body` as a user who may write `file` but not the folder: as root, a child process
    // as nobody (who then owns the file); otherwise this process with the folder made read-only.
    // Returns the body's result.
    int AsUserWithoutFolderRights(const std::string& file, const std::function<int()>& body) {
        if (::geteuid() != 0) {
            ::chmod(dir_.c_str(), 0555);
            const int result = body();
            ::chmod(dir_.c_str(), 0755);
            return result;
        }
        EXPECT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(90);
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
    }

    static void AddSignal(TSignals& signals, const std::string& name, const std::string& text) {
        auto signal = std::make_unique<TSignal>(signals);
        signal->SetName(name);
        signal->SetText(text);
        signals.Insert(std::move(signal), signals.Count());
    }

    fs::path dir_;
};

const char kSignature[] = "\x06\x06KVARIL";

struct TChosenCase {
    const char* existing;  // file present in the folder, or ""
    const char* chosen;
    const char* ext;
    const char* expected;
};

class ChosenExtension : public SafeSave, public ::testing::WithParamInterface<TChosenCase> {};

TEST_P(ChosenExtension, KeepsAnExistingNameInAnyCase) {
    const TChosenCase& c = GetParam();
    if (*c.existing) Spit(Path(c.existing), "x");
    EXPECT_EQ(ChosenWithExtension(Path(c.chosen), c.ext), Path(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChosenExtension,
    ::testing::Values(TChosenCase{"UPPER.SIG", "UPPER.SIG", "sig", "UPPER.SIG"},
                      TChosenCase{"", "UPPER.SIG", "sig", "UPPER.sig"},
                      TChosenCase{"Victim.sig", "Victim.SIG", "sig", "Victim.sig"},
                      TChosenCase{"Victim2.sig", "Victim2.txt", "sig", "Victim2.sig"},
                      TChosenCase{"a.Sig", "a.Sig", "sig", "a.Sig"},
                      TChosenCase{"victim.TXT", "victim.TXT", "txt", "victim.TXT"},
                      TChosenCase{"", "plain", "txt", "plain.txt"},
                      TChosenCase{"b.sigx", "b.sigx", "sig", "b.sig"}));

TEST_F(SafeSave, AWritableDocumentInALockedFolderIsWrittenInPlace) {
    const std::string file = Path("doc.sig");
    Spit(file, "old bytes");
    ::chmod(file.c_str(), 0644);
    const int result = AsUserWithoutFolderRights(file, [&] {
        TSignals signals;
        TOsc osc;
        AddSignal(signals, "A", "a\r\nb\r\n");
        try {
            WriteDocument(file, signals, osc);
        } catch (const EFileError&) {
            return 1;
        }
        return signals.Modified ? 2 : 0;
    });
    EXPECT_EQ(result, 0);
    const std::string bytes = Slurp(file);
    EXPECT_EQ(bytes.substr(0, 8), std::string(kSignature, 8));
    EXPECT_EQ(bytes.size(), 73u);
    EXPECT_EQ(FileCount(), 1) << "no temporary file left behind";
}

TEST_F(SafeSave, AFailedWriteInPlaceRestoresTheOldBytesAndSaysSo) {
    if (::geteuid() != 0) GTEST_SKIP() << "the file size limit would end this process";
    const std::string file = Path("doc.sig");
    const std::string old(600, 'o');
    Spit(file, old);
    ::chmod(file.c_str(), 0644);
    const int result = AsUserWithoutFolderRights(file, [&] {
        // The new content outgrows what this process may write into a file.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TSignals signals;
        TOsc osc;
        AddSignal(signals, "A", std::string(4000, 'x') + "\r\n");
        try {
            WriteDocument(file, signals, osc);
        } catch (const EFileError& e) {
            const std::string text = e.what();
            if (text.find("previous content was restored") == std::string::npos) return 3;
            return e.Note == TFileNote::Restored && signals.Modified ? 0 : 4;
        }
        return 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(file), old);
}

TEST_F(SafeSave, ALinkKeepsItsTargetsOwnerGroupAndMode) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
    const std::string target = Path("real.sig");
    Spit(target, "old");
    ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
    ::chmod(target.c_str(), 0664);
    fs::create_symlink(target, Path("link.sig"));
    TSignals signals;
    TOsc osc;
    WriteDocument(Path("link.sig"), signals, osc);
    EXPECT_TRUE(fs::is_symlink(Path("link.sig")));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(Slurp(target).substr(0, 8), std::string(kSignature, 8));
}

TEST_F(SafeSave, ASharedFileOfAnotherOwnerKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs a second user";
    // The folder lets nobody create files; the file belongs to root and nobody's group.
    ASSERT_EQ(::chown(dir_.c_str(), kNobody, kNobody), 0);
    const std::string file = Path("shared.sig");
    Spit(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 0, kNobody), 0);
    ::chmod(file.c_str(), 0664);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(90);
        TSignals signals;
        TOsc osc;
        try {
            WriteDocument(file, signals, osc);
        } catch (const EFileError&) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << "the file was replaced by one of another owner";
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(Slurp(file).substr(0, 8), std::string(kSignature, 8));
    EXPECT_EQ(FileCount(), 1);
}

TEST_F(SafeSave, ADanglingLinkIsRefusedAndStaysALink) {
    fs::create_symlink(Path("gone.sig"), Path("link.sig"));
    TSignals signals;
    TOsc osc;
    try {
        WriteDocument(Path("link.sig"), signals, osc);
        FAIL() << "a link to nowhere was replaced";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("symbolic link"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_symlink(Path("link.sig")));
    EXPECT_FALSE(fs::exists(Path("gone.sig")));
    EXPECT_THROW(WriteLibraryFile(Path("link.sig"), {"x"}), EFileError);
    EXPECT_TRUE(fs::is_symlink(Path("link.sig")));
}

TEST_F(SafeSave, LeftoversOfKilledSavesOlderThanADayAreRemoved) {
    const auto dayAndMore = fs::file_time_type::clock::now() - std::chrono::hours(25);
    const std::vector<std::string> stale = {".doc.sig.Ab12Cd", ".other.SIG.x9Y8z7",
                                            ".lib.txt.QQ11ww"};
    const std::vector<std::string> kept = {".doc.sig.bak", ".notes.md.Ab12Cd", ".doc.sig.Ab12C!",
                                           "doc.sig.Ab12Cd", ".sig.abcdef"};
    for (const std::string& name : stale) Spit(Path(name), "partial");
    for (const std::string& name : kept) Spit(Path(name), "mine");
    for (const std::string& name : stale) fs::last_write_time(Path(name), dayAndMore);
    for (const std::string& name : kept) fs::last_write_time(Path(name), dayAndMore);
    Spit(Path(".fresh.sig.Zz99Yy"), "a save going on right now");

    TSignals signals;
    TOsc osc;
    WriteDocument(Path("doc.sig"), signals, osc);
    for (const std::string& name : stale) EXPECT_FALSE(fs::exists(Path(name))) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(Path(name))) << name;
    EXPECT_TRUE(fs::exists(Path(".fresh.sig.Zz99Yy")));
}

}  // namespace
}  // namespace kvaril
