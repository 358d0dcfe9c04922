// Every route to a model with every option that applies to it: a single run (`--run`) and a
// sweep of two values (`--sweep`), each with long runs and with an interval of the screen, an
// analysis or a picture. Each combination either gives the numbers of the plain run (the sweep's
// run of the document's own value equals the single run) or is refused before anything runs,
// naming both options.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchRun.h"
#include "batch/RunCommand.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "model/ModelFixture.h"

namespace kvaril {
namespace {

class RouteMatrix : public testing::ModelFixture {
  protected:
    void SetUp() override {
        ModelFixture::SetUp();
        // 20000 quanta of 10 µs: beyond the classic limit, so every route needs --long.
        signals_.SetQuantTime(1e-5);
        signals_.SetTotalTime(0.2);
        TSignal& tone = Add("Tone", "  Value := Sin(2 * Pi * Freq * t) + 0.25;");
        tone.Lines().insert(tone.Lines().begin(), "const Freq = 50;");
        TOsc osc;
        osc.SyncWithSignals(signals_);
        osc.View(0).SetT0(0.02);
        osc.View(0).SetT1(0.15);
        for (double t : {0.05, 0.12}) {
            auto label = std::make_unique<TTimeLabel>(osc);
            label->SetTime(t);
            osc.View(0).AddTimeLabel(std::move(label));
        }
        document_ = (dir_ / "tone.sig").string();
        WriteDocument(document_, signals_, osc);
    }

    // The command line `arguments` after "--run DOCUMENT", run; its status, and the file written
    // for `output` (one of the arguments, relative to the test's folder).
    int Run(std::vector<std::string> arguments, std::string& err) {
        arguments.insert(arguments.begin(), document_);
        TBatchOptions options;
        const std::string refused =
            ParseRunCommand(arguments, options, [](std::string_view) { return true; });
        if (!refused.empty()) {
            err = refused;
            return 1;
        }
        options.BinDir = binDir_;
        options.DrawPicture = [this](const TPictureRequest&, const std::vector<int>&,
                                     const TSignals&, const TOsc&, const TStoredRun*,
                                     const TSweepShown* sweep, const std::string& path) {
            std::ofstream(path) << (sweep ? "sweep picture" : "picture");
            ++pictures_;
            return std::string();
        };
        std::ostringstream out, errors;
        const int status = RunBatch(options, out, errors);
        err = errors.str();
        return status;
    }
    std::vector<std::string> Lines(const std::string& name) {
        std::ifstream in(dir_ / name);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string Out(const std::string& name) { return (dir_ / name).string(); }

    std::string document_;
    int pictures_ = 0;
};

// The options that take a table of rows per signal: the sweep's rows of Freq = 50 are the single
// run's rows with the value in front.
TEST_F(RouteMatrix, EveryAnalysisAndIntervalGivesTheSingleRunsNumbersInTheSweep) {
    const std::vector<std::vector<std::string>> intervals = {{},
                                                             {"--span", "window"},
                                                             {"--span", "run"},
                                                             {"--span", "m1..m2"},
                                                             {"--span", "A..B"},
                                                             {"--from", "0.01", "--to", "0.03"}};
    for (const char* analysis : {"--stats", "--peaks"}) {
        for (const std::vector<std::string>& interval : intervals) {
            const std::string combination =
                std::string(analysis) + " " +
                (interval.empty() ? "" : interval[0] + " " + interval[1]);
            SCOPED_TRACE(combination);
            std::vector<std::string> single = {"--long", analysis, Out("single.csv")};
            single.insert(single.end(), interval.begin(), interval.end());
            std::string err;
            ASSERT_EQ(Run(single, err), 0) << err;
            std::vector<std::string> swept = {"--long", analysis, Out("swept.csv"), "--sweep",
                                              "Tone.Freq=50,100"};
            swept.insert(swept.end(), interval.begin(), interval.end());
            ASSERT_EQ(Run(swept, err), 0) << err;
            const std::vector<std::string> a = Lines("single.csv"), b = Lines("swept.csv");
            ASSERT_GE(a.size(), 2u);
            ASSERT_GE(b.size(), a.size());
            EXPECT_EQ(b[0], "Freq," + a[0]);
            for (size_t i = 1; i < a.size(); ++i) EXPECT_EQ(b[i], "50," + a[i]) << i;
            for (size_t i = a.size(); i < b.size(); ++i)
                EXPECT_TRUE(b[i].starts_with("100,")) << b[i];
        }
    }
}

TEST_F(RouteMatrix, SpectraAndPicturesTakeEveryRoute) {
    std::string err;
    ASSERT_EQ(Run({"--long", "--spectrum", Out("single.csv"), "--span", "m1..m2"}, err), 0) << err;
    ASSERT_EQ(Run({"--long", "--spectrum", Out("swept.csv"), "--span", "m1..m2", "--sweep",
                   "Tone.Freq=50,100"},
                  err),
              0)
        << err;
    const std::vector<std::string> a = Lines("single.csv"), b = Lines("swept.csv");
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(b[0], "f,Tone@Freq=50,Tone@Freq=100");
    for (size_t i = 1; i < a.size(); ++i)
        EXPECT_TRUE(b[i].starts_with(a[i] + ",")) << "bin " << i << ": " << a[i] << " / " << b[i];

    for (const bool sweep : {false, true}) {
        std::vector<std::string> picture = {"--long", "--png", Out("p.png"), "--view", "cursors"};
        if (sweep) picture.insert(picture.end(), {"--sweep", "Tone.Freq=50,100"});
        const int before = pictures_;
        ASSERT_EQ(Run(picture, err), 0) << err;
        EXPECT_EQ(pictures_, before + 1);
        EXPECT_EQ(Lines("p.png"), std::vector<std::string>{sweep ? "sweep picture" : "picture"});
    }
}

// What cannot be combined is refused before anything runs, naming both options; without --long
// the document is refused by both routes alike, before any build.
TEST_F(RouteMatrix, WhatCannotBeCombinedIsRefusedNamingBoth) {
    struct TRefusal {
        std::vector<std::string> Arguments;
        std::vector<const char*> Named;
    };
    const TRefusal refusals[] = {
        {{"--long", "--sweep", "Tone.Freq=1,2", "--wav", Out("w.wav")}, {"--sweep", "--wav"}},
        {{"--long", "--sweep", "Tone.Freq=1,2", "--against", Out("g.csv")},
         {"--sweep", "--against"}},
        {{"--long", "--stats", "-", "--span", "run", "--to", "0.1"}, {"--span", "--to"}},
        {{"--long", "--stats", "-", "--span", "m1..m3"}, {"--span", "m1..m3"}},
        {{"--stats", "-"}, {"максимальное время моделирования"}},
        {{"--stats", "-", "--sweep", "Tone.Freq=1,2"}, {"максимальное время моделирования"}},
    };
    for (const TRefusal& refusal : refusals) {
        std::string err;
        EXPECT_EQ(Run(refusal.Arguments, err), 1);
        for (const char* name : refusal.Named)
            EXPECT_NE(err.find(name), std::string::npos) << name << " in: " << err;
        EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvml.dll")) << "nothing built: " << err;
    }
}

}  // namespace
}  // namespace kvaril
