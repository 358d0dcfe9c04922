#include "document/uSignal.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/ValueStream.h"

namespace kvaril {
namespace {

TSignal& AddSignal(TSignals& signals, const std::string& name, int index = -1) {
    auto signal = std::make_unique<TSignal>(signals);
    signal->SetName(name);
    TSignal& ref = *signal;
    signals.Insert(std::move(signal), index);
    return ref;
}

std::vector<std::string> Names(const TSignals& signals) {
    std::vector<std::string> names;
    for (int i = 0; i < signals.Count(); ++i) names.push_back(signals.Items(i).Name());
    return names;
}

TEST(TSignal, SkeletonWithoutDestructor) {
    TSignals signals;
    TSignal signal(signals);
    signal.InitTemplate("Sine", false);
    const auto& lines = signal.Lines();
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(signal.Name(), "Sine");
    EXPECT_EQ(lines[0], "type");
    EXPECT_EQ(lines[1], "  TSignal_Sine = class");
    EXPECT_EQ(lines[6], "    procedure   Make(t: Double);");
    EXPECT_EQ(lines[10], "  Signal_Sine: TSignal_Sine;");
    EXPECT_EQ(lines[12], "constructor TSignal_Sine.Create;");
    EXPECT_EQ(lines[15], "") << "the place for construction code";
    EXPECT_EQ(lines[18], "procedure TSignal_Sine.Make(t: Double);");
    EXPECT_EQ(lines[20], "  Value := ;");
    EXPECT_EQ(lines[21], "end;");
}

TEST(TSignal, SkeletonWithDestructor) {
    TSignals signals;
    TSignal signal(signals);
    signal.InitTemplate("Sine", true);
    const auto& lines = signal.Lines();
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[6], "    destructor  Destroy; override;");
    EXPECT_EQ(lines[11], "  Signal_Sine: TSignal_Sine;");
    EXPECT_EQ(lines[7], "    procedure   Make(t: Double);");
    EXPECT_EQ(lines[19], "destructor TSignal_Sine.Destroy;");
    EXPECT_EQ(lines[21], "");
    EXPECT_EQ(lines[22], "  inherited Destroy;");
    EXPECT_EQ(lines[27], "  Value := ;");
}

TEST(TSignal, CreatingASignalMarksTheListModifiedEvenIfNeverInserted) {
    TSignals signals;
    ASSERT_FALSE(signals.Modified);
    { TSignal signal(signals); }
    EXPECT_TRUE(signals.Modified);
}

TEST(TSignal, SetNameChangesOnlyOnADifference) {
    TSignals signals;
    TSignal signal(signals);
    signal.SetName("Sin");
    signals.Modified = false;
    signal.SetName("Sin");
    EXPECT_FALSE(signals.Modified);
    signal.SetName("sin");
    EXPECT_TRUE(signals.Modified);
}

TEST(TSignal, GetTextEndsEveryLineWithCrLf) {
    TSignals signals;
    TSignal signal(signals);
    EXPECT_EQ(signal.GetText(), "");
    signal.Lines() = {""};
    EXPECT_EQ(signal.GetText(), "\r\n");
    signal.Lines() = {"a", "b"};
    EXPECT_EQ(signal.GetText(), "a\r\nb\r\n");
}

TEST(TSignal, SetTextComparesBeforeChanging) {
    TSignals signals;
    TSignal signal(signals);
    signal.SetText("a\r\nb\r\n");
    signals.Modified = false;

    signal.SetText("a\r\nb\r\n");
    EXPECT_FALSE(signals.Modified) << "the same text";
    signal.SetText(std::string("a\r\nb\r\n\0junk", 11));
    EXPECT_FALSE(signals.Modified) << "equal up to the first NUL";

    signal.SetText("a\r\nb");
    EXPECT_TRUE(signals.Modified) << "lacking the final CR LF is a difference";
    EXPECT_EQ(signal.Lines(), (std::vector<std::string>{"a", "b"}));

    signal.SetText("x\ny\rz");
    EXPECT_EQ(signal.Lines(), (std::vector<std::string>{"x", "y", "z"}));
}

TEST(TSignals, StartsWithDefaultsAndClearRestoresThem) {
    TSignals signals;
    EXPECT_EQ(signals.QuantTime(), 0.0001);
    EXPECT_EQ(signals.TotalTime(), 0.1);
    EXPECT_EQ(signals.QuantCount(), 1000);
    EXPECT_TRUE(signals.IsEmpty());
    EXPECT_FALSE(signals.Modified);

    AddSignal(signals, "A");
    signals.SetQuantTime(0.001);
    signals.Clear();
    EXPECT_TRUE(signals.IsEmpty());
    EXPECT_FALSE(signals.HasSignals());
    EXPECT_EQ(signals.QuantTime(), 0.0001);
    EXPECT_FALSE(signals.Modified);
}

TEST(TSignals, InsertAppendsOutsideTheListAndPrependsAtZero) {
    TSignals signals;
    AddSignal(signals, "A", -1);
    AddSignal(signals, "B", 1);  // at Count
    AddSignal(signals, "C", 0);
    AddSignal(signals, "D", 1);
    AddSignal(signals, "E", 99);
    EXPECT_EQ(Names(signals), (std::vector<std::string>{"C", "D", "A", "B", "E"}));
    EXPECT_TRUE(signals.Modified);
}

TEST(TSignals, MoveAndDelete) {
    TSignals signals;
    for (const char* name : {"A", "B", "C"}) AddSignal(signals, name);
    signals.Modified = false;
    signals.Move(1, 1);
    EXPECT_EQ(Names(signals), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(signals.Modified) << "even a move to the same place";

    signals.Move(0, 2);
    EXPECT_EQ(Names(signals), (std::vector<std::string>{"B", "C", "A"}));
    signals.Move(2, 0);
    EXPECT_EQ(Names(signals), (std::vector<std::string>{"A", "B", "C"}));

    signals.Modified = false;
    signals.Delete(2);
    EXPECT_EQ(Names(signals), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(signals.Modified);
}

TEST(TSignals, LookupsAreExactAndFindTheFirst) {
    TSignals signals;
    TSignal& first = AddSignal(signals, "Sin");
    TSignal& second = AddSignal(signals, "Sin");
    EXPECT_EQ(signals.IndexOfName("sin"), -1);
    EXPECT_EQ(signals.IndexOfName("Sin"), 0);
    EXPECT_EQ(signals.IndexOf(&second), 1);
    EXPECT_EQ(signals.IndexOf(&first), 0);
    TSignal stranger(signals);
    EXPECT_EQ(signals.IndexOf(&stranger), -1);
}

TEST(TSignals, BrokenPreconditionsAreAssertions) {
    TSignals signals;
    AddSignal(signals, "A");
    EXPECT_THROW(signals.Items(1), EAssertionFailed);
    EXPECT_THROW(signals.Items(-1), EAssertionFailed);
    EXPECT_THROW(signals.Move(0, 1), EAssertionFailed);
    EXPECT_THROW(signals.Delete(1), EAssertionFailed);
    EXPECT_THROW(signals.Insert(nullptr, 0), EAssertionFailed);
    try {
        signals.Items(5);
    } catch (const EAssertionFailed& e) {
        EXPECT_NE(std::string(e.what()).find("uSignal"), std::string::npos);
    }
}

TEST(TSignals, QuantTimeIsWholeMicrosecondsAndAtLeastOne) {
    struct Case {
        double in, out;
    } cases[] = {{0, 0.000001},      {0.0000004, 0.000001}, {-1, 0.000001}, {0.00012345, 0.000123},
                 {0.00000149, 1e-6}, {0.0000021, 2e-6},     {0.001, 0.001}, {2.5, 2.5}};
    for (const auto& c : cases) {
        TSignals signals;
        signals.SetQuantTime(c.in);
        EXPECT_EQ(signals.QuantTime(), c.out) << c.in;
    }
}

TEST(TSignals, TotalTimeIsAWholeNumberOfAtLeastTenQuanta) {
    struct Case {
        double quant, in, out;
        int32_t count;
    } cases[] = {{0.0001, 0.10004, 0.1, 1000}, {0.0001, 0.0005, 0.001, 10},
                 {0.5, 6.25, 6, 12},           {0.001, 0.0157, 0.016, 16},
                 {0.001, 0.005, 0.01, 10},     {0.0001, 100, 100, 1000000}};
    for (const auto& c : cases) {
        TSignals signals;
        signals.SetQuantTime(c.quant);
        signals.SetTotalTime(c.in);
        EXPECT_EQ(signals.TotalTime(), c.out) << c.quant << " " << c.in;
        EXPECT_EQ(signals.QuantCount(), c.count) << c.quant << " " << c.in;
    }
}

TEST(TSignals, SettingTheSameTimesLeavesTheDocumentUnmodified) {
    TSignals signals;
    signals.SetQuantTime(0.0001);
    signals.SetTotalTime(0.1);
    EXPECT_FALSE(signals.Modified);
    signals.SetTotalTime(0.2);
    EXPECT_TRUE(signals.Modified);
}

// Times read from a file are taken as stored, so QuantCount must cope with any pair.
TSignals& ReadTimes(TSignals& signals, long double quant, long double total) {
    MemorySink sink;
    TValueWriter writer(sink);
    writer.WriteFloat(quant);
    writer.WriteFloat(total);
    writer.WriteListBegin();
    writer.WriteListEnd();
    writer.FlushBuffer();
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    signals.ReadFrom(reader, 4);
    return signals;
}

TEST(TSignals, QuantCountOfTimesReadFromAFile) {
    {
        TSignals signals;
        EXPECT_EQ(ReadTimes(signals, 0.0000005, 1).QuantCount(), 0);
    }
    {
        TSignals signals;
        EXPECT_EQ(ReadTimes(signals, 0.000001, 1e10).QuantCount(), INT32_MAX)
            << "a ratio beyond 32 bits must not wrap into the accepted range";
    }
    {
        TSignals signals;
        EXPECT_EQ(ReadTimes(signals, 0.001, -1).QuantCount(), -1000);
    }
    {
        TSignals signals;
        ReadTimes(signals, 0.001, 0.0157);
        EXPECT_EQ(signals.TotalTime(), 0.0157) << "stored unchecked";
        EXPECT_FALSE(signals.Modified);
        signals.SetQuantTime(0.001);
        signals.SetTotalTime(signals.TotalTime());
        EXPECT_EQ(signals.TotalTime(), 0.016);
        EXPECT_TRUE(signals.Modified);
    }
}

TEST(TSignals, WriteAndReadKeepNamesAndLines) {
    TSignals signals;
    AddSignal(signals, "A").SetText("a\r\nb\r\n");
    AddSignal(signals, "B").SetText(std::string(300, 'x'));
    MemorySink sink;
    TValueWriter writer(sink);
    signals.WriteTo(writer);
    writer.FlushBuffer();
    EXPECT_FALSE(signals.Modified);

    TSignals copy;
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    copy.ReadFrom(reader, 4);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(0).Name(), "A");
    EXPECT_EQ(copy.Items(0).Lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(copy.Items(1).Lines(), (std::vector<std::string>{std::string(300, 'x')}));
    EXPECT_EQ(copy.Items(1).CaretX, 1);
    EXPECT_FALSE(copy.Items(1).Bookmarks[3].IsSet);
    EXPECT_FALSE(copy.Modified);
}

}  // namespace
}  // namespace kvaril
