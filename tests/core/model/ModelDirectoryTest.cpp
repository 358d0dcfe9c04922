#include "TestFolder.h"
#include "model/ModelDirectory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

namespace kvaril {
namespace {

namespace fs = std::filesystem;

// A program folder with Bin/ (as a build or a package lays it out) and a cache folder of its
// own; XDG_CACHE_HOME points there while the test runs.
class ModelDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = testing::TestFolder("kvaril-modeldir");
        fs::remove_all(root_);
        fs::create_directories(root_ / "program" / "Bin");
        for (const char* file : {"dcc32", "kvml.dpr", "uSignalsData.pas"})
            std::ofstream(root_ / "program" / "Bin" / file) << file;
        if (const char* cache = std::getenv("XDG_CACHE_HOME")) savedCache_ = cache;
        ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    }
    void TearDown() override {
        if (savedCache_)
            ::setenv("XDG_CACHE_HOME", savedCache_->c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
        fs::remove_all(root_);
    }
    std::string Program() const { return (root_ / "program").string() + "/"; }
    std::set<std::string> BinFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_ / "program" / "Bin"))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path root_;
    std::optional<std::string> savedCache_;
};

// Run by root, an installed copy found its Bin/ writable and built in /usr/lib/kvaril/Bin.
TEST_F(ModelDirectory, AnInstalledCopyBuildsInTheUsersCacheEvenWhereItMayWrite) {
    ASSERT_EQ(::access((root_ / "program" / "Bin").c_str(), W_OK), 0);
    const std::set<std::string> before = BinFiles();
    const std::string bin = ResolveBinDir(Program());
    EXPECT_EQ(bin, (root_ / "cache" / "kvaril" / "Bin").string() + "/");
    EXPECT_TRUE(fs::exists(fs::path(bin) / "dcc32")) << "a copy of the shipped folder";
    EXPECT_TRUE(fs::exists(fs::path(bin) / "uSignalsData.pas"));
    EXPECT_EQ(BinFiles(), before) << "the installation stays as it was";
}

TEST_F(ModelDirectory, TheBuildTreeBuildsInItsOwnBin) {
    std::ofstream(root_ / "program" / "Bin" / kBuildTreeMark) << "build tree\n";
    EXPECT_EQ(ResolveBinDir(Program()), Program() + "Bin/");
    EXPECT_FALSE(fs::exists(root_ / "cache" / "kvaril")) << "no copy made";
}

TEST_F(ModelDirectory, WithoutACacheFolderTheHomesCacheIsUsed) {
    ::unsetenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string saved = home ? home : "";
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    const std::string bin = ResolveBinDir(Program());
    if (home)
        ::setenv("HOME", saved.c_str(), 1);
    else
        ::unsetenv("HOME");
    EXPECT_EQ(bin, (root_ / "home" / ".cache" / "kvaril" / "Bin").string() + "/");
}

}  // namespace
}  // namespace kvaril
