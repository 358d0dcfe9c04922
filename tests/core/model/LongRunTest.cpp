// Long runs: the limit passed down from "Длинные прогоны" (or --long), the memory checked
// before the run, progress through the store, cancellation, and one long run end to end.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>

#include "batch/RunCommand.h"
#include "model/ModelFixture.h"
#include "model/ModelGenerator.h"
#include "model/RunHistory.h"
#include "model/RunProgress.h"
#include "store/StoreBudget.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

TSignals& Times(TSignals& signals, double quant, double total) {
    signals.SetQuantTime(quant);
    signals.SetTotalTime(total);
    return signals;
}

TEST(LongRunLimit, TheClassicLimitStaysWithTheChoiceOff) {
    TSignals signals;
    Times(signals, 1e-6, 1.0);  // 1 000 000 quanta
    ASSERT_EQ(signals.QuantCount(), 1000000);
    std::optional<TErrorBox> box = CheckModelTimes(signals);
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->Text.ends_with("\r\nмаксимальное время моделирования = 0.01")) << box->Text;
    EXPECT_FALSE(CheckModelTimes(signals, kLongMaxQuanta));
    Times(signals, 1e-6, 11.0);
    box = CheckModelTimes(signals, kLongMaxQuanta);
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->Text.ends_with("\r\nмаксимальное время моделирования = 10"))
        << "QuantTime × 10 000 000: " << box->Text;
}

TEST(LongRunLimit, TheParametersLineSaysHowToLiftTheClassicLimit) {
    TQuantaPreview off = PreviewQuanta("1e-6", "1", 0.001, 1);
    EXPECT_FALSE(off.Allowed);
    EXPECT_EQ(off.Text,
              "Квантов: 1000000 - действует классический предел 10000 квантов; снять его: "
              "Моделирование → Длинные прогоны (до 10000000 квантов)");
    TQuantaPreview on = PreviewQuanta("1e-6", "1", 0.001, 1, kLongMaxQuanta);
    EXPECT_TRUE(on.Allowed);
    EXPECT_EQ(on.Text, "Квантов: 1000000, частота дискретизации: 1000000 Гц");
    EXPECT_EQ(PreviewQuanta("1e-6", "100", 0.001, 1, kLongMaxQuanta).Text,
              "Квантов: 100000000 - допустимо от 10 до 10000000 квантов");
    EXPECT_EQ(PreviewQuanta("0.001", "10", 0.001, 1).Text,
              "Квантов: 10000, частота дискретизации: 1000 Гц")
        << "the classic limit itself";
    EXPECT_EQ(PreviewQuanta("1e-6", "100", 0.001, 1).Text,
              "Квантов: 100000000 - допустимо от 10 до 10000 квантов")
        << "beyond even the long limit: the classic line";
}

TEST(LongRunLimit, TheCommandLineTakesLong) {
    TBatchOptions options;
    const auto any = [](std::string_view) { return true; };
    EXPECT_EQ(ParseRunCommand({"a.sig", "--csv", "x.csv"}, options, any), "");
    EXPECT_EQ(options.MaxQuanta, kClassicMaxQuanta);
    TBatchOptions longRun;
    EXPECT_EQ(ParseRunCommand({"a.sig", "--long", "--csv", "x.csv"}, longRun, any), "");
    EXPECT_EQ(longRun.MaxQuanta, kLongMaxQuanta);
    EXPECT_EQ(longRun.CsvPath, "x.csv");
    TBatchOptions last;
    EXPECT_EQ(ParseRunCommand({"a.sig", "--csv", "x.csv", "--long"}, last, any), "");
    EXPECT_EQ(last.MaxQuanta, kLongMaxQuanta);
}

TEST(StoreBudget, ReadsMemAvailableAndSaysBothFigures) {
    EXPECT_EQ(ParseMemAvailable("MemTotal: 100 kB\nMemFree: 5 kB\nMemAvailable:    2048 kB\n"),
              2048ull * 1024);
    EXPECT_FALSE(ParseMemAvailable("MemTotal: 100 kB\n"));
    EXPECT_TRUE(AvailableMemory().has_value()) << "this system's /proc/meminfo";
    EXPECT_EQ(StoreBytes(16, 10000000), 1280000000ull);
    EXPECT_FALSE(CheckStoreMemory(2, 1000, 16000));
    std::optional<TErrorBox> box = CheckStoreMemory(16, 10000000, 512ull << 20);
    ASSERT_TRUE(box);
    EXPECT_NE(box->Text.find("1,2 ГБ"), std::string::npos) << box->Text;
    EXPECT_NE(box->Text.find("512,0 МБ"), std::string::npos) << box->Text;
}

TEST(RunProgress, TellsElapsedAndRemainingTime) {
    EXPECT_EQ(ProgressText(250000, 1000000, 3),
              "Моделирование: 25% (250000 из 1000000 квантов), прошло 0:03, осталось 0:09");
    EXPECT_EQ(ProgressText(0, 1000000, 0.6),
              "Моделирование: 0% (0 из 1000000 квантов), прошло 0:01");
    EXPECT_EQ(FormatDuration(3725), "1:02:05");
    EXPECT_EQ(WorkProgressText("Экспорт данных", 3, 4, 30),
              "Экспорт данных: 75%, прошло 0:30, осталось 0:10");
    EXPECT_EQ(WorkProgressText("Статистика", 0, 4, 0.7), "Статистика: 0%, прошло 0:01");
}

using LongRun = testing::ModelFixture;

TEST_F(LongRun, AMillionQuantaEndToEnd) {
    Add("A", "  Value := Sin(2 * Pi * 1000 * t);");
    Add("B", "  Value := 0.5 * Signal_A.Value;");
    Times(signals_, 1e-6, 1.0);
    // The choice off: the classic limit.
    TModelOutcome classic = Run();
    ASSERT_FALSE(classic.Ok);
    ASSERT_TRUE(classic.Error);
    EXPECT_EQ(classic.Error->Title, "Ошибка задания времени моделирования");

    options_.MaxQuanta = kLongMaxQuanta;
    int64_t lastTotal = 0;
    hooks_.Progress = [&](int64_t, int64_t total) { lastTotal = total; };
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << (r.Error ? r.Error->Text : "");
    EXPECT_EQ(r.Status, "Ok. Результаты: 15,3 МБ");
    TSignalsData& data = signals_.Data();
    ASSERT_EQ(data.SampleCount(), 1000000);
    EXPECT_EQ(data.GetData(1, 999999), 0.5 * data.GetData(0, 999999));
    EXPECT_NEAR(data.GetData(0, 250), 1.0, 1e-12);
    data.CalcMaxima();
    ASSERT_NE(data.Summary(0), nullptr);
    EXPECT_NEAR(data.GetMax(0), 1.0, 1e-12);
    EXPECT_LE(data.SummaryBytes() * 16, 2 * 1000000 * sizeof(double));
    if (lastTotal) {
        EXPECT_EQ(lastTotal, 1000000);
    }
}

TEST_F(LongRun, AStoreBeyondTheMemoryIsRefusedBeforeAnythingIsAllocated) {
    Add("A", "  Value := t;");
    Add("B", "  Value := 2 * t;");
    Times(signals_, 1e-6, 1.0);
    options_.MaxQuanta = kLongMaxQuanta;
    options_.AvailableMemoryBytes = 1000000;  // a made-up small budget
    TModelOutcome r = Run();
    ASSERT_FALSE(r.Ok);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Недостаточно памяти для моделирования");
    EXPECT_NE(r.Error->Text.find("15,3 МБ"), std::string::npos) << r.Error->Text;
    EXPECT_NE(r.Error->Text.find("976,6 КБ"), std::string::npos) << r.Error->Text;
    EXPECT_EQ(signals_.Data().SampleCount(), 0) << "no store was made";
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvm.pas")) << "nor a model built";
}

TEST_F(LongRun, ProgressComesThroughTheStoreAndStopLeavesNothing) {
    Add("A", "  Value := 0; for K := 1 to 200 do Value := Value + Sin(K * t);");
    signals_.Items(0).Lines().insert(signals_.Items(0).Lines().begin(), {"var K: Integer;", ""});
    Times(signals_, 1e-6, 2.0);
    options_.MaxQuanta = kLongMaxQuanta;
    std::atomic<int64_t> seen{0};
    int64_t total = 0;
    hooks_.Progress = [&](int64_t done, int64_t all) {
        total = all;
        if (done > seen) seen = done;
    };
    hooks_.Cancelled = [&] { return seen > 100000; };
    TModelOutcome r = Run();
    EXPECT_TRUE(r.Cancelled);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Status, "Моделирование прервано");
    EXPECT_GT(seen.load(), 100000);
    EXPECT_LT(seen.load(), 2000000) << "stopped long before the end";
    EXPECT_EQ(total, 2000000);
    EXPECT_TRUE(r.ModelFiles.empty());
    EXPECT_TRUE(r.ModelFolder.empty()) << "the run's scratch folder went with it";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

TStoredRun RunOfBytes(size_t doubles) {
    TStoredRun run;
    run.SampleCount = static_cast<int>(doubles);
    run.Names = {"A"};
    run.Values.assign(doubles, 1.0);
    return run;
}

TEST(RunHistoryBudget, OldestGoFirstThePinnedLastTheNewNever) {
    TRunHistory history;
    history.SetBudget(3 * 80000 + 2000);  // three runs of 10000 samples
    for (int i = 0; i < 3; ++i) history.Add(RunOfBytes(10000));
    EXPECT_EQ(history.Dropped(), 0);
    history.Pin(1);
    history.Add(RunOfBytes(10000));
    EXPECT_EQ(history.Dropped(), 1);
    std::vector<int> ids;
    for (const TStoredRun* run : history.Runs()) ids.push_back(run->Id);
    EXPECT_EQ(ids, (std::vector<int>{4, 3, 1})) << "the oldest unpinned went, the pinned stays";
    history.Add(RunOfBytes(15000));
    EXPECT_EQ(history.Dropped(), 2);
    ids.clear();
    for (const TStoredRun* run : history.Runs()) ids.push_back(run->Id);
    EXPECT_EQ(ids, (std::vector<int>{5, 1})) << "the pinned one last";
    history.Add(RunOfBytes(30000));
    ids.clear();
    for (const TStoredRun* run : history.Runs()) ids.push_back(run->Id);
    EXPECT_EQ(ids, (std::vector<int>{6})) << "the new one is kept";
    EXPECT_EQ(history.PinnedId(), 0);
}

}  // namespace
}  // namespace kvaril
