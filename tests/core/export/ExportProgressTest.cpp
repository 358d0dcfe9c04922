// Long exports tell how far they are and stop when asked, leaving no file behind: neither the
// target nor the temporary beside it, and an older file of the same name as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "ExportFixture.h"
#include "export/DataExport.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

using TWrite =
    std::function<void(const std::string&, const TSignals&, const TDataRange&, const TWorkHooks&)>;

struct TFormat {
    const char* Name;
    TWrite Write;
};
void PrintTo(const TFormat& format, std::ostream* out) { *out << format.Name; }

class ExportProgressTest : public testing::ExportFixture,
                           public ::testing::WithParamInterface<TFormat> {
  protected:
    // Enough quanta for several pieces of either writer.
    void SetUp() override {
        ExportFixture::SetUp();
        Make({"A", "B", "C"}, 0.0001, 300000);
    }
    std::vector<fs::path> Files() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir_)) files.push_back(entry.path());
        return files;
    }
};

TEST_P(ExportProgressTest, ReportsQuantaWrittenOfAllInOrder) {
    std::vector<int64_t> done;
    TWorkHooks hooks;
    hooks.Progress = [&](int64_t d, int64_t total) {
        EXPECT_EQ(total, 300000);
        done.push_back(d);
    };
    GetParam().Write(Path("out"), signals_, WholeRun(signals_), hooks);
    ASSERT_GE(done.size(), 3u);
    EXPECT_GT(done.front(), 0);
    for (size_t i = 1; i < done.size(); ++i) EXPECT_GT(done[i], done[i - 1]);
    EXPECT_LE(done.back(), 300000);
    EXPECT_GT(fs::file_size(Path("out")), 300000u * 3 * 4) << "the whole range written";
}

TEST_P(ExportProgressTest, StoppedHalfWayLeavesNoFileAndTheOldOneAsItWas) {
    int looks = 0;
    TWorkHooks hooks;
    hooks.Cancelled = [&] { return ++looks == 2; };
    EXPECT_THROW(GetParam().Write(Path("new"), signals_, WholeRun(signals_), hooks),
                 EWorkCancelled);
    EXPECT_EQ(looks, 2) << "the stop is seen at the next look, not at the end";
    EXPECT_TRUE(Files().empty()) << "no target and no temporary: " << Files().front();

    {
        std::ofstream old(Path("old"));
        old << "kept";
    }
    looks = 0;
    EXPECT_THROW(GetParam().Write(Path("old"), signals_, WholeRun(signals_), hooks),
                 EWorkCancelled);
    ASSERT_EQ(Files().size(), 1u);
    std::ifstream in(Path("old"));
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ExportProgressTest,
    ::testing::Values(
        TFormat{"Csv", [](const std::string& path, const TSignals& s, const TDataRange& r,
                          const TWorkHooks& h) { WriteSamplesCsv(path, s, r, h); }},
        TFormat{"Wav", [](const std::string& path, const TSignals& s, const TDataRange& r,
                          const TWorkHooks& h) { WriteSamplesWav(path, s, r, h); }}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kvaril
