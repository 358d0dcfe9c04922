#include "model/ModelGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "base/Cp1251.h"
#include "base/ValueStream.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

TSignal& AddSkeleton(TSignals& signals, const std::string& name, bool withDestructor = false) {
    auto signal = std::make_unique<TSignal>(signals);
    signal->InitTemplate(name, withDestructor);
    TSignal& ref = *signal;
    signals.Insert(std::move(signal), -1);
    return ref;
}

TEST(GenerateUnit, HeaderSignalAndMainRoutineLines) {
    TSignals signals;
    TSignal& a = AddSkeleton(signals, "A");
    const std::vector<std::string> u = GenerateUnit(signals);
    EXPECT_EQ(u[0], Utf8ToCp1251("{ Этот текст сгенерирован программой Kvaril"));
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(u[i].substr(0, 2), "  ");
    EXPECT_EQ(u[3].substr(u[3].size() - 2), " }");
    EXPECT_EQ(u[5], "unit KVM;");
    EXPECT_EQ(u[11], "procedure MainModelProc(const aSignalsData: TSignalsData); StdCall;");
    EXPECT_EQ(u[12], "function  GetErrorFactor: Integer; StdCall;");
    EXPECT_EQ(u[13], "function  GetErrorIndex:  Integer; StdCall;");
    EXPECT_EQ(u[18], "  GetErrorIndex;");
    EXPECT_EQ(u[23], "  QuantTime: Double  = 0.0001;");
    EXPECT_EQ(u[24], "  TotalTime: Double  = 0.1;");
    EXPECT_EQ(u[25], "  QuantCount         = 1000;");
    EXPECT_EQ(u[32], "  ErrorIndex:   Integer;");
    EXPECT_EQ(u[33], "") << "line 34";
    EXPECT_EQ(a.StartLine, 34);
    EXPECT_EQ(u[34], "type") << "line 35";
    EXPECT_EQ(u[55], "end;") << "line 56, the signal's last";
    EXPECT_EQ(u[56], "") << "line 57";
    EXPECT_EQ(u[57], "procedure MainModelProc(const aSignalsData: TSignalsData);") << "line 58";
    EXPECT_EQ(u.back(), "end.");
    EXPECT_NE(std::find(u.begin(), u.end(), "  Signal_A := TSignal_A.Create;"), u.end());
    EXPECT_NE(std::find(u.begin(), u.end(), "  Signal_A.Free;"), u.end());
}

TEST(GenerateUnit, StartLinesFollowTheTextsAndEmptySignalsKeepTheirs) {
    TSignals signals;
    TSignal& first = AddSkeleton(signals, "A");
    TSignal& second = AddSkeleton(signals, "B", true);
    GenerateUnit(signals);
    EXPECT_EQ(first.StartLine, 34);
    EXPECT_EQ(second.StartLine, 58);

    auto empty = std::make_unique<TSignal>(signals);
    empty->SetName("E");
    empty->StartLine = 7;
    signals.Insert(std::move(empty), 1);
    const std::vector<std::string> u = GenerateUnit(signals);
    EXPECT_EQ(signals.Items(1).StartLine, 7) << "no text: the old value stays";
    EXPECT_EQ(second.StartLine, 59) << "one more empty line in between";
    EXPECT_NE(
        std::find(u.begin(), u.end(), "    SignalsData.SetData(1, CurrentQuant, Signal_E.Value);"),
        u.end());
    EXPECT_NE(
        std::find(u.begin(), u.end(), "    SignalsData.SetData(2, CurrentQuant, Signal_B.Value);"),
        u.end())
        << "the third signal stores into row 2";
    EXPECT_NE(std::find(u.begin(), u.end(), "  Signal_E.Free;"), u.end());
}

TEST(GenerateUnit, MicrosecondQuantumIsWrittenInScientificForm) {
    TSignals signals;
    AddSkeleton(signals, "A");
    signals.SetQuantTime(0.000001);
    signals.SetTotalTime(0.001);
    const std::vector<std::string> u = GenerateUnit(signals);
    EXPECT_EQ(u[23], "  QuantTime: Double  = 1E-6;");
}

TEST(CheckModelTimes, RefusesTooFewOrTooManyQuantaAndTooShortAQuantum) {
    TSignals signals;
    EXPECT_FALSE(CheckModelTimes(signals).has_value());

    signals.SetQuantTime(0.001);
    signals.SetTotalTime(0.01);
    EXPECT_FALSE(CheckModelTimes(signals).has_value()) << "10 quanta";
    signals.SetTotalTime(10);
    EXPECT_FALSE(CheckModelTimes(signals).has_value()) << "10000 quanta";

    signals.SetTotalTime(10.001);
    std::optional<TErrorBox> box = CheckModelTimes(signals);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Title, "Ошибка задания времени моделирования");
    EXPECT_EQ(box->Text,
              "При заданном времени кванта: 0.001\r\nмаксимальное время моделирования = 10");
}

// Times read from a file skip the setters' rules; only the generator stops them.
TEST(CheckModelTimes, TimesFromAFile) {
    // 9 quanta and half a microsecond cannot come from the setters: read them.
    MemorySink sink;
    {
        TValueWriter w(sink);
        w.WriteFloat(0.001);
        w.WriteFloat(0.009);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteFloat(0.0000005);
        w.WriteFloat(1);
        w.WriteListBegin();
        w.WriteListEnd();
        w.FlushBuffer();
    }
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    TSignals nine;
    nine.ReadFrom(reader, 4);
    std::optional<TErrorBox> box = CheckModelTimes(nine);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Text,
              "При заданном времени кванта: 0.001\r\nминимальное время моделирования = 0.01");

    TSignals tiny;
    tiny.ReadFrom(reader, 4);
    box = CheckModelTimes(tiny);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Title, "Ошибка задания времени квантования");
    EXPECT_EQ(box->Text, "Минимальное время квантования = 1E-6");
}

std::unique_ptr<TSignals> TimesFromFile(double quant, double total) {
    MemorySink sink;
    {
        TValueWriter w(sink);
        w.WriteFloat(quant);
        w.WriteFloat(total);
        w.WriteListBegin();
        w.WriteListEnd();
        w.FlushBuffer();
    }
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    auto signals = std::make_unique<TSignals>();
    signals->ReadFrom(reader, 4);
    return signals;
}

TEST(CheckModelTimes, HugeRatiosGiveTheMaximumNotTheMinimum) {
    for (double total : {1e13, 1e20, std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(total);
        std::optional<TErrorBox> box = CheckModelTimes(*TimesFromFile(1e-6, total));
        ASSERT_TRUE(box);
        EXPECT_EQ(box->Title, "Ошибка задания времени моделирования");
        EXPECT_NE(box->Text.find("максимальное"), std::string::npos) << box->Text;
    }
}

TEST(CheckModelTimes, ANaNOrInfiniteQuantumIsAQuantizationError) {
    for (double quant :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(quant);
        std::optional<TErrorBox> box = CheckModelTimes(*TimesFromFile(quant, 1));
        ASSERT_TRUE(box);
        EXPECT_EQ(box->Title, "Ошибка задания времени квантования");
    }
}

TEST(CheckModelTimes, HugeTimesTypedIntoTheSettersAreKeptForTheMaximumMessage) {
    TSignals signals;
    signals.SetQuantTime(1e-6);
    signals.SetTotalTime(1e15);
    EXPECT_EQ(signals.TotalTime(), 1e15) << "not the ten-quanta minimum";
    std::optional<TErrorBox> box = CheckModelTimes(signals);
    ASSERT_TRUE(box);
    EXPECT_NE(box->Text.find("максимальное"), std::string::npos) << box->Text;

    signals.SetQuantTime(1e13);
    EXPECT_EQ(signals.QuantTime(), 1e13) << "not the 1E-6 minimum";
}

}  // namespace
}  // namespace kvaril
