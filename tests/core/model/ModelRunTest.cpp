// Running models end to end: generate, compile with Free Pascal, run in the model host.

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/uCommon.h"
#include "batch/BatchRun.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "model/ModelFixture.h"
#include "model/ModelGenerator.h"
#include "osc/MarkLines.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

using ModelRun = testing::ModelFixture;

std::string ErrorText(const TModelOutcome& r) { return r.Error ? r.Error->Text : ""; }

TEST_F(ModelRun, SamplesLandInTheStoreAndLaterSignalsSeeEarlierOnes) {
    Add("T", "  Value := t;");
    Add("Twice", "  Value := 2 * Signal_T.Value;");
    Add("Prev", "  Value := Old; Old := t;");
    signals_.Items(2).Lines().insert(signals_.Items(2).Lines().begin(), {"var Old: Double;", ""});
    Add("Last", "  Value := Signal_Prev.Value;");
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << ErrorText(r);
    EXPECT_EQ(r.Status, "Ok");
    const TSignalsData& data = signals_.Data();
    ASSERT_EQ(data.SignalCount(), 4);
    ASSERT_EQ(data.SampleCount(), 1000);
    EXPECT_EQ(data.GetData(0, 0), 0.0);
    EXPECT_EQ(data.GetData(0, 999), 999 * 0.0001);
    EXPECT_EQ(data.GetData(1, 500), 2 * (500 * 0.0001));
    EXPECT_EQ(data.GetData(2, 0), 0.0);
    EXPECT_EQ(data.GetData(2, 10), 9 * 0.0001);
    EXPECT_EQ(data.GetData(3, 10), 9 * 0.0001);
}

TEST_F(ModelRun, DivisionByZeroInTheThirdSignalNamesItsMake) {
    Add("A", "  Value := Sin(t);");
    Add("B", "  Value := Cos(t);");
    Add("Third", "  Value := 1 / t;");
    TModelOutcome r = Run();
    EXPECT_FALSE(r.Ok);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Ошибка при выполнении моделирования");
    EXPECT_EQ(r.Error->Text,
              "Floating point division by zero\r\n\r\nМесто ошибки: TSignal_Third.Make\r\n"
              "Время: t = 0\r\n")
        << "the first quantum";
    EXPECT_EQ(r.Status, "Ok");
}

TEST_F(ModelRun, FaultsInConstructorsAndDestructorsNameTheirPhase) {
    Add("A", "  Value := t;");
    Add("B", "  Value := t;", "  raise Exception.Create('no B');");
    TModelOutcome r = Run();
    EXPECT_EQ(ErrorText(r), "no B\r\n\r\nМесто ошибки: TSignal_B.Create\r\n");

    signals_.Clear();
    Add("A", "  Value := t;");
    Add("D", "  Value := t;", "", "  PInteger(nil)^ := 1;");
    r = Run();
    EXPECT_EQ(ErrorText(r), "Access violation\r\n\r\nМесто ошибки: TSignal_D.Destroy\r\n");
}

TEST_F(ModelRun, EveryKindOfFaultComesBackWithItsPlace) {
    const std::pair<const char*, const char*> cases[] = {
        {"  Value := Sqrt(t - 1);", "Invalid floating point operation"},
        {"  Value := Exp(1000 + t);", "Floating point overflow"},
        {"  Value := Ln(t);", "Floating point division by zero"},
        {"  Value := Ln(t - 1);", "Invalid floating point operation"},
        {"  Value := Round(t) div Round(t);", "Division by zero"},
        {"  Value := TSignal_A(nil).Value;", "Access violation"},
        {"  Halt(3);", "Halt(3)"},
        {"  raise Exception.Create('mine');", "mine"},
    };
    for (const auto& [make, message] : cases) {
        SCOPED_TRACE(make);
        signals_.Clear();
        Add("Ok", "  Value := Sin(t);");
        Add("A", make);
        Add("After", "  Value := Cos(t) * 2;");  // a late x87 report would blame this one
        TModelOutcome r = Run();
        EXPECT_EQ(ErrorText(r), std::string(message) +
                                    "\r\n\r\nМесто ошибки: TSignal_A.Make\r\nВремя: t = 0\r\n");
    }
}

// A call counter and a zero for the signal to divide by.
void CountCalls(TSignal& signal) {
    signal.Lines().insert(signal.Lines().begin(),
                          {"var Calls: Integer = 0; Zero: Double = 0;", ""});
}
constexpr const char* kFailLast =
    "  Inc(Calls); if Calls = 1000 then Value := 1 / Zero else Value := t;";

TEST_F(ModelRun, AFaultInMakeTellsTheTimeOfItsQuantum) {
    // The failing signal first: the others have already written the quantum before.
    CountCalls(Add("Fails", kFailLast));
    Add("After", "  Value := t;");
    TModelOutcome r = Run();
    EXPECT_EQ(ErrorText(r),
              "Floating point division by zero\r\n\r\nМесто ошибки: TSignal_Fails.Make\r\n"
              "Время: t = 0.0999\r\n");

    // The failing signal last: the others have written this very quantum.
    signals_.Clear();
    Add("Before", "  Value := t;");
    CountCalls(Add("Fails", kFailLast));
    EXPECT_EQ(ErrorText(Run()),
              "Floating point division by zero\r\n\r\nМесто ошибки: TSignal_Fails.Make\r\n"
              "Время: t = 0.0999\r\n");

    // The model's own time: the unit writes QuantTime with 15 digits.
    signals_.Clear();
    signals_.SetQuantTime(0.000003);
    signals_.SetTotalTime(0.00003);
    CountCalls(Add("Fails", "  Inc(Calls); if Calls = 4 then Value := 1 / Zero;"));
    EXPECT_EQ(ErrorText(Run()),
              "Floating point division by zero\r\n\r\nМесто ошибки: TSignal_Fails.Make\r\n"
              "Время: t = " +
                  FormatFloat(ModelTime(signals_, 3)) + "\r\n");
}

class BatchRunHints : public testing::ModelFixture {
  protected:
    // What `kvaril --run` prints for a document of the signals.
    std::string BatchErrors(const std::string& name, int* status) {
        TOsc osc;
        const std::string path = dir_.string() + "/" + name;
        WriteDocument(path, signals_, osc);
        TBatchOptions options;
        options.Document = path;
        options.BinDir = binDir_;
        std::ostringstream out, err;
        *status = RunBatch(options, out, err);
        return err.str();
    }
};

TEST_F(BatchRunHints, TheCommandLinePrintsTheReorderHintAndTheFaultTime) {
    Add("Early", "  Value := Signal_Late.Value;");
    Add("Late", "  Value := t;");
    int status = 0;
    std::string err = BatchErrors("forward.sig", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("(Error: Identifier not found 'Signal_Late')\nСигнал Late расположен ниже "
                       "сигнала Early: измените порядок сигналов (Сигнал → Изменить порядок...)\n"),
              std::string::npos)
        << err;

    signals_.Clear();
    Add("Fails", "  Value := 1 / t;");
    err = BatchErrors("fault.sig", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("Место ошибки: TSignal_Fails.Make\nВремя: t = 0\n"), std::string::npos)
        << err;
}

// A document never opened in the oscilloscope stores no screen: its picture is the default
// screen F9 shows, for one screen, every screen and the cursors alike.
TEST_F(BatchRunHints, APictureOfADocumentWithoutStoredScreensIsTheDefaultScreen) {
    Add("Sine", "  Value := Sin(t);");
    TOsc osc;
    const std::string path = dir_.string() + "/fresh.sig";
    WriteDocument(path, signals_, osc);
    for (const char* screen : {"1", "all"}) {
        TBatchOptions options;
        options.Document = path;
        options.BinDir = binDir_;
        options.Picture.Path = dir_.string() + "/fresh.png";
        ASSERT_TRUE(ParsePictureScreen(screen, options.Picture.Screen));
        options.Picture.Cursors = true;
        std::vector<int> drawn;
        int screensInOsc = -1;
        options.DrawPicture = [&](const TPictureRequest&, const std::vector<int>& screens,
                                  const TSignals&, const TOsc& shown, const TStoredRun*,
                                  const TSweepShown*, const std::string& target) {
            drawn = screens;
            screensInOsc = shown.ViewCount();
            std::ofstream(target) << "picture";
            return std::string();
        };
        std::ostringstream out, err;
        EXPECT_EQ(RunBatch(options, out, err), 0) << screen << ": " << err.str();
        EXPECT_EQ(drawn, std::vector<int>{0}) << screen;
        EXPECT_EQ(screensInOsc, 1) << screen;
    }
    // A screen that is not there is still refused, before the model is built.
    TBatchOptions options;
    options.Document = path;
    options.BinDir = binDir_;
    options.Picture.Path = dir_.string() + "/second.png";
    options.Picture.Screen = 2;
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch(options, out, err), 1);
    EXPECT_EQ(err.str(), "Нет экрана 2: экранов в документе 1\n");
}

// A WAV over 4 GB is known from the document's times: refused before anything is built, with
// the size as the memory check says sizes.
TEST_F(BatchRunHints, AWavOverFourGigabytesIsRefusedBeforeTheBuild) {
    for (int i = 0; i < 120; ++i) Add("S" + std::to_string(i), "  Value := t;");
    signals_.SetQuantTime(1e-6);
    signals_.SetTotalTime(10);  // 10 000 000 quanta x 120 signals x 4 bytes
    TOsc osc;
    const std::string path = dir_.string() + "/wide.sig";
    WriteDocument(path, signals_, osc);
    TBatchOptions options;
    options.Document = path;
    options.BinDir = binDir_;
    options.MaxQuanta = kLongMaxQuanta;
    options.WavPath = dir_.string() + "/wide.wav";
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch(options, out, err), 1);
    EXPECT_EQ(err.str(),
              "В WAV не больше 4 ГБ, а выбранные отсчеты занимают 4,5 ГБ: выберите меньше "
              "сигналов или короче отрезок времени\n");
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvml.dll")) << "nothing was built";
}

// --span takes the intervals of the window's analyses from the document's first screen.
TEST_F(BatchRunHints, ASpanIsAnIntervalOfTheDocumentsFirstScreen) {
    Add("T", "  Value := t;");  // 1000 quanta of 0.1 ms
    TOsc osc;
    osc.SyncWithSignals(signals_);
    TView& view = osc.View(0);
    view.SetT0(0.02);
    view.SetT1(0.05);
    for (double t : {0.01, 0.03}) {
        auto label = std::make_unique<TTimeLabel>(osc);
        label->SetTime(t);
        view.AddTimeLabel(std::move(label));
    }
    const std::string path = dir_.string() + "/spans.sig";
    WriteDocument(path, signals_, osc);
    const TCursorPair ab = DefaultCursorTimes(view, 0.0001, 1000);
    const int cursorQuanta = static_cast<int>(std::lround((ab.B - ab.A) / 0.0001)) + 1;
    const std::pair<const char*, int> cases[] = {
        {"window", 301}, {"run", 1000}, {"m1..m2", 201}, {"A..B", cursorQuanta}};
    for (const auto& [span, quanta] : cases) {
        TBatchOptions options;
        options.Document = path;
        options.BinDir = binDir_;
        options.Span = span;
        options.Analysis.StatsPath = dir_.string() + "/stats.csv";
        std::ostringstream out, err;
        ASSERT_EQ(RunBatch(options, out, err), 0) << span << ": " << err.str();
        std::ifstream in(options.Analysis.StatsPath);
        std::string header, row;
        std::getline(in, header);
        std::getline(in, row);
        EXPECT_TRUE(row.starts_with("T," + std::to_string(quanta) + ",")) << span << ": " << row;
    }
    TBatchOptions missing;
    missing.Document = path;
    missing.BinDir = binDir_;
    missing.Span = "m1..m3";
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch(missing, out, err), 1);
    EXPECT_EQ(err.str(), "Интервал --span m1..m3: на первом экране документа меток 2\n");
}

TEST(FailingQuant, FromTheFailingSignalAndTheLastSampleWritten) {
    TRunReport report{};
    report.HasErrorPlace = 1;
    report.ErrorFactor = 1;
    report.HasLastWritten = 1;
    const auto at = [&report](int failing, int lastSignal, int lastQuant) {
        report.ErrorIndex = failing;
        report.LastSignal = lastSignal;
        report.LastQuant = lastQuant;
        return FailingQuant(report, 3, 100);
    };
    EXPECT_EQ(at(0, -1, -1), 0) << "nothing written yet";
    EXPECT_EQ(at(2, 1, 0), 0) << "the earlier signals wrote this quantum";
    EXPECT_EQ(at(0, 2, 0), 1) << "the quantum after the last complete one";
    EXPECT_EQ(at(1, 1, 41), 42) << "its own sample of the quantum before";
    EXPECT_EQ(at(2, 1, 99), 99) << "the last quantum";
    EXPECT_EQ(at(0, 2, 99), std::nullopt) << "after the last quantum: no Make runs";
    EXPECT_EQ(at(3, 1, 5), std::nullopt) << "no signal of the list";
    report.ErrorFactor = 0;
    EXPECT_EQ(at(0, -1, -1), std::nullopt) << "Create";
    report.ErrorFactor = 2;
    EXPECT_EQ(at(0, 2, 99), std::nullopt) << "Destroy";
    report.ErrorFactor = 1;
    report.HasLastWritten = 0;
    EXPECT_EQ(at(0, -1, -1), std::nullopt) << "a library that cannot tell";
}

TEST_F(ModelRun, RunawayRecursionIsAStackOverflow) {
    TSignal& a = Add("A", "  Value := Deep(t);");
    a.Lines().insert(a.Lines().begin(), {"function Deep(x: Double): Double;", "begin",
                                         "  Result := Deep(x + 1) + 1;", "end;", ""});
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Error);
    EXPECT_NE(r.Error->Text.find("TSignal_A.Make"), std::string::npos) << r.Error->Text;
}

TEST_F(ModelRun, AModelThatNeverEndsIsCancelled) {
    Add("A", "  while t >= 0 do Value := Value + 1;");
    const auto started = std::chrono::steady_clock::now();
    hooks_.Cancelled = [&] {
        return std::chrono::steady_clock::now() - started > std::chrono::seconds(2);
    };
    TModelOutcome r = Run();
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Cancelled);
    EXPECT_FALSE(r.Error);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(ModelRun, EveryRunStartsWithFreshLibraryVariables) {
    TSignal& a = Add("Counter", "  Inc(Calls);\n  Value := Calls;");
    a.Lines().insert(a.Lines().begin(), {"var Calls: Integer = 0;", ""});
    ASSERT_TRUE(Run().Ok);
    EXPECT_EQ(signals_.Data().GetData(0, 0), 1);
    EXPECT_EQ(signals_.Data().GetData(0, 999), 1000);
    ASSERT_TRUE(Run().Ok);
    EXPECT_EQ(signals_.Data().GetData(0, 0), 1) << "the second run starts from zero again";
}

TEST_F(ModelRun, AFailedRunKeepsThePreviousSamplesSize) {
    Add("A", "  Value := 5;");
    ASSERT_TRUE(Run().Ok);
    signals_.Items(0).Lines()[20] = "  Value := t / 0;";
    TModelOutcome r = Run();
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(signals_.Data().SignalCount(), 1);
}

TEST_F(ModelRun, LoadFailuresAndMissingExports) {
    Add("A", "  Value := t;");
    ASSERT_TRUE(Run().Ok);
    // A broken library file.
    std::ofstream(binDir_ + "kvml.dll") << "not a library";
    TModelOutcome r = RunModelLibrary(signals_, options_, hooks_);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Фатальная ошибка программы");
    EXPECT_EQ(r.Error->Text.rfind("Не могу открыть Bin\\kvml.dll: ", 0), 0u) << r.Error->Text;

    // A library that lacks GetErrorIndex.
    const std::string src = dir_.string() + "/partial.dpr";
    std::ofstream(src) << "library partial;\n"
                          "procedure MainModelProc(p: Pointer); stdcall; begin end;\n"
                          "function GetErrorFactor: Integer; stdcall; begin Result := 0; end;\n"
                          "exports MainModelProc, GetErrorFactor;\nbegin end.\n";
    const std::string cmd =
        "cd " + dir_.string() + " && ppcx64 -n -Mdelphi -Fu" +
        "$(dirname $(readlink -f $(command -v ppcx64)))/units/x86_64-linux/rtl" +
        " -okvml.dll partial.dpr >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    r = RunModelLibrary(signals_, options_, hooks_);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text, "Ошибка главной процедуры Bin\\kvml.dll: GetErrorIndex");
}

TEST(InterpretRunReport, PlacesThatCannotBeDetermined) {
    TSignals signals;
    for (const char* name : {"A", "B"}) {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName(name);
        signals.Insert(std::move(s), -1);
    }
    TRunReport report{};
    report.State = TRunState::ModelError;
    std::strcpy(report.Detail, "boom");
    report.HasErrorPlace = 1;
    report.ErrorFactor = 1;
    report.ErrorIndex = 2;  // every step of the phase done
    EXPECT_EQ(InterpretRunReport(report, signals, 0).Error->Text,
              "boom\r\n\r\nне удается определить.\r\n");
    report.ErrorIndex = -1;
    EXPECT_EQ(InterpretRunReport(report, signals, 0).Error->Text,
              "boom\r\n\r\nне удается определить.\r\n");
    report.ErrorIndex = 1;
    report.ErrorFactor = 5;
    EXPECT_EQ(InterpretRunReport(report, signals, 0).Error->Text,
              "boom\r\n\r\nМесто ошибки: TSignal_B.\r\n");

    TRunReport died{};
    died.State = TRunState::Running;
    const TModelOutcome r = InterpretRunReport(died, signals, SIGKILL);
    EXPECT_NE(r.Error->Text.find("не удается определить."), std::string::npos);
}

}  // namespace
}  // namespace kvaril
