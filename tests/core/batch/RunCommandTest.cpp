#include "batch/RunCommand.h"

#include <gtest/gtest.h>

namespace kvaril {
namespace {

bool AnyFormat(std::string_view path) {
    return path.size() > 4 && path.substr(path.size() - 4) == ".png";
}

std::string Parse(const std::vector<std::string>& arguments, TBatchOptions& options) {
    return ParseRunCommand(arguments, options, AnyFormat);
}

TEST(RunCommand, EveryOptionSetsItsValue) {
    TBatchOptions o;
    EXPECT_EQ(Parse({"d.sig", "--csv",       "c",       "--wav",       "w",    "--stats",
                     "s",     "--spectrum",  "p",       "--window",    "rect", "--signals",
                     "A,B",   "--from",      "0.5",     "--to",        "1",    "--timeout",
                     "2",     "--against",   "g",       "--tolerance", "0.1",  "--png",
                     "x.png", "--size",      "300x200", "--screen",    "all",  "--view",
                     "grid",  "--reference", "r"},
                    o),
              "");
    EXPECT_EQ(o.Document, "d.sig");
    EXPECT_EQ(o.CsvPath, "c");
    EXPECT_EQ(o.WavPath, "w");
    EXPECT_EQ(o.Analysis.StatsPath, "s");
    EXPECT_EQ(o.Analysis.SpectrumPath, "p");
    EXPECT_EQ(o.Analysis.Window, "rect");
    EXPECT_EQ(o.Selection.SignalNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(o.Selection.From, 0.5);
    EXPECT_EQ(o.Selection.To, 1.0);
    EXPECT_EQ(o.TimeoutSeconds, 2);
    EXPECT_EQ(o.AgainstPath, "g");
    EXPECT_EQ(o.Tolerance, 0.1);
    EXPECT_EQ(o.Picture.Path, "x.png");
    EXPECT_EQ(o.Picture.Width, 300);
    EXPECT_EQ(o.Picture.Height, 200);
    EXPECT_EQ(o.Picture.Screen, 0);
    EXPECT_TRUE(o.Picture.Grid);
    EXPECT_EQ(o.Picture.Reference, "r");
}

struct TMalformed {
    std::vector<std::string> Arguments;
    const char* Reason;
};

class RunCommandRefuses : public ::testing::TestWithParam<TMalformed> {};

TEST_P(RunCommandRefuses, WithTheReason) {
    TBatchOptions o;
    const std::string reason = Parse(GetParam().Arguments, o);
    EXPECT_NE(reason.find(GetParam().Reason), std::string::npos) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunCommandRefuses,
    ::testing::Values(TMalformed{{}, "Не задан документ"},
                      TMalformed{{"d", "--csv"}, "Нет значения у параметра --csv"},
                      TMalformed{{"d", "--bogus", "1"}, "Неизвестный параметр --bogus"},
                      TMalformed{{"d", "--timeout", "0"}, "Неверное время --timeout"},
                      // Less than the millisecond the limit is kept in would be no limit.
                      TMalformed{{"d", "--timeout", "0.0001"},
                                 "Неверное время --timeout: 0.0001 (от 0.001 до 1000000 с)"},
                      TMalformed{{"d", "--timeout", "1e300"}, "Неверное время --timeout"},
                      TMalformed{{"d", "--span", "half"}, "Неверный интервал --span: half"},
                      TMalformed{{"d", "--span", "run", "--from", "0.1"},
                                 "--span и --from/--to задают один интервал"},
                      // An option given again would silently win over the first.
                      TMalformed{{"d", "--csv", "a", "--csv", "b"}, "Параметр --csv задан дважды"},
                      TMalformed{{"d", "--long", "--long"}, "Параметр --long задан дважды"},
                      TMalformed{{"d", "--png", "a.png", "--view", "grid", "--view", "legend"},
                                 "Параметр --view задан дважды"},
                      TMalformed{{"d", "--tolerance", "1"}, "только с --against"},
                      TMalformed{{"d", "--against", "g", "--tolerance", "-1"}, "Неверный допуск"},
                      TMalformed{{"d", "--png", "x.doc"}, "Неизвестный формат рисунка --png"},
                      TMalformed{{"d", "--screen", "2"}, "нужны только с --png"},
                      TMalformed{{"d", "--png", "x.png", "--size", "10x10"}, "не меньше 60x60"},
                      TMalformed{{"d", "--png", "x.png", "--size", "big"}, "Неверный размер"},
                      TMalformed{{"d", "--png", "x.png", "--view", "all"}, "Неверный вид"},
                      TMalformed{{"d", "--from", "soon"}, "Неверное время --from"},
                      TMalformed{{"d", "--sweep", "A.K"}, "Сигнал.Имя=значения"},
                      TMalformed{{"d", "--sweep", "K=1"}, "Сигнал.Имя=значения"},
                      TMalformed{{"d", "--sweep", "A.K=1:1:3"}, "--sweep A.K: пустой диапазон"},
                      TMalformed{{"d", "--sweep", "A.K=1", "--sweep", "A.L=2", "--sweep", "A.M=3"},
                                 "не больше двух раз"},
                      TMalformed{{"d", "--sweep", "A.K=1", "--wav", "s.wav"},
                                 "(не --wav, --against, --reference)"},
                      // The overlay takes the reference run's place: it would not be drawn.
                      TMalformed{{"d", "--sweep", "A.K=1", "--png", "x.png", "--reference", "g"},
                                 "(не --wav, --against, --reference)"}));

TEST(RunCommand, SweepsAreKeptInTheirOrder) {
    TBatchOptions o;
    EXPECT_EQ(Parse({"d.sig", "--sweep", "A.K=1,2", "--stats", "s", "--sweep", "B.F=1:8:4log"}, o),
              "");
    EXPECT_EQ(o.Sweeps, (std::vector<std::string>{"A.K=1,2", "B.F=1:8:4log"}));
    TBatchOptions picture;
    EXPECT_EQ(Parse({"d.sig", "--sweep", "A.K=1,2", "--png", "o.png", "--view", "legend"}, picture),
              "")
        << "a sweep's runs are drawn overlaid";
}

}  // namespace
}  // namespace kvaril
