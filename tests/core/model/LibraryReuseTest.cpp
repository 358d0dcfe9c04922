// F9 on an unchanged document loads the library already built; every change that could give
// a different library compiles again.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "model/FpcBuild.h"
#include "model/LibraryStamp.h"
#include "model/ModelFixture.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

class LibraryReuse : public testing::ModelFixture {
  protected:
    void SetUp() override {
        ModelFixture::SetUp();
        // The stand-in behind a script that counts the compiles.
        std::filesystem::rename(binDir_ + "dcc32", binDir_ + "dcc32.real");
        FakeCompiler("echo >> compiles\nexec ./dcc32.real \"$@\"");
        Add("A", "  Value := Sin(t);");
        ASSERT_TRUE(Build().Ok);
        ASSERT_EQ(Compiles(), 1);
    }
    void TearDown() override {
        ::unsetenv("KVARIL_PPCX64");
        ModelFixture::TearDown();
    }

    int Compiles() const {
        std::ifstream in(binDir_ + "compiles");
        return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
    }
    // Whether the build since the last call compiled.
    bool Compiled() {
        const int now = Compiles();
        const bool compiled = now != seen_;
        seen_ = now;
        return compiled;
    }

    int seen_ = 1;
};

TEST_F(LibraryReuse, AnUnchangedDocumentIsNotCompiledAgainAndLooksCompiled) {
    std::vector<std::string> statuses;
    hooks_.ShowStatus = [&](const std::string& text) { statuses.push_back(text); };
    std::ofstream(binDir_ + "kvml.err") << "an old log";
    TModelOutcome r = Build();
    EXPECT_TRUE(r.Ok);
    EXPECT_FALSE(Compiled());
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvml.err")) << "as a clean compile leaves it";
    EXPECT_EQ(statuses,
              (std::vector<std::string>{"Создается программа...", "Выполняется компиляция..."}));
    EXPECT_TRUE(Run().Ok);
    EXPECT_NEAR(signals_.Data().GetData(0, 100), std::sin(100 * 0.0001), 1e-15);
}

TEST_F(LibraryReuse, AnUnchangedUnitStaysTheFileItWasAndAChangedOneIsWritten) {
    const auto identity = [&] {
        struct stat st {};
        ::stat((binDir_ + "kvm.pas").c_str(), &st);
        return std::pair(st.st_ino, st.st_mtim.tv_nsec + st.st_mtim.tv_sec * 1000000000LL);
    };
    const auto before = identity();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(Build().Ok);
    EXPECT_EQ(identity(), before);

    signals_.Items(0).Lines()[20] = "  Value := Cos(t);";
    ASSERT_TRUE(Build().Ok);
    EXPECT_NE(identity(), before);
    std::ifstream unit(binDir_ + "kvm.pas");
    const std::string text{std::istreambuf_iterator<char>(unit), {}};
    EXPECT_NE(text.find("Value := Cos(t);"), std::string::npos);
}

TEST_F(LibraryReuse, AUnitThatIsAPipeIsReplacedNotReadFrom) {
    // Reading it to compare would wait for a writer that never comes.
    std::filesystem::remove(binDir_ + "kvm.pas");
    ASSERT_EQ(::mkfifo((binDir_ + "kvm.pas").c_str(), 0644), 0);
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(std::filesystem::is_regular_file(binDir_ + "kvm.pas"));
    EXPECT_FALSE(Compiled()) << "the same unit as the library was built from";
}

TEST_F(LibraryReuse, ADifferentUnitCompiles) {
    signals_.Items(0).Lines()[20] = "  Value := Cos(t);";
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled());
    ASSERT_TRUE(Run().Ok);
    EXPECT_NEAR(signals_.Data().GetData(0, 100), std::cos(100 * 0.0001), 1e-15);
}

TEST_F(LibraryReuse, AChangedModelProjectCompiles) {
    std::ofstream(binDir_ + "kvml.dpr", std::ios::app) << "\n{ changed }\n";
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled());
}

TEST_F(LibraryReuse, AChangedStoreUnitCompiles) {
    std::ofstream(binDir_ + "uSignalsData.pas", std::ios::app) << "\n{ changed }\n";
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled());
}

TEST_F(LibraryReuse, AnotherCompilerPathOrANewerCompilerStandInCompiles) {
    const std::string link = dir_.string() + "/ppcx64";
    ASSERT_TRUE(FindFreePascal());
    std::filesystem::create_symlink(*FindFreePascal(), link);
    ::setenv("KVARIL_PPCX64", link.c_str(), 1);
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled()) << "another path to the compiler";

    ASSERT_TRUE(Build().Ok);
    EXPECT_FALSE(Compiled());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::filesystem::last_write_time(binDir_ + "dcc32",
                                     std::filesystem::file_time_type::clock::now());
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled()) << "a rebuilt compiler stand-in";
}

TEST_F(LibraryReuse, ALibraryChangedOrDeletedBehindOurBackCompiles) {
    std::ofstream(binDir_ + "kvml.dll", std::ios::app) << "x";
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled()) << "changed";

    // One byte in the middle, the size kept.
    const auto size = std::filesystem::file_size(binDir_ + "kvml.dll");
    std::fstream library(binDir_ + "kvml.dll", std::ios::in | std::ios::out | std::ios::binary);
    library.seekg(static_cast<std::streamoff>(size / 2));
    const char byte = static_cast<char>(library.get());
    library.seekp(static_cast<std::streamoff>(size / 2));
    library.put(static_cast<char>(byte ^ 1));
    library.close();
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled()) << "changed within";

    std::filesystem::remove(binDir_ + "kvml.dll");
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled()) << "deleted";
}

TEST_F(LibraryReuse, AFailedBuildLeavesNothingToReuse) {
    const std::string good = signals_.Items(0).Lines()[20];
    signals_.Items(0).Lines()[20] = "  Value := Undeclared;";
    EXPECT_FALSE(Build().Ok);
    EXPECT_FALSE(std::filesystem::exists(binDir_ + kLibraryStampName));
    signals_.Items(0).Lines()[20] = good;
    Compiled();
    ASSERT_TRUE(Build().Ok);
    EXPECT_TRUE(Compiled());
}

}  // namespace
}  // namespace kvaril
