#include "model/CompilerLog.h"

#include <gtest/gtest.h>

#include "document/uSignal.h"

namespace kvaril {
namespace {

// A signal whose 25 lines start after unit line 40: it covers unit lines 41 to 65.
struct Fixture {
    Fixture() {
        auto empty = std::make_unique<TSignal>(signals);
        empty->StartLine = 45;  // no text: covers nothing although its StartLine would match
        signals.Insert(std::move(empty), -1);
        auto signal = std::make_unique<TSignal>(signals);
        for (int i = 1; i <= 25; ++i) signal->Lines().push_back("line " + std::to_string(i));
        signal->Lines()[4] = "  Value := Freq * t;";
        signal->StartLine = 40;
        signals.Insert(std::move(signal), -1);
    }
    TSignals signals;
};

TEST(ParseCompilerLog, OnlyTheBannerOrNoMarkerIsClean) {
    Fixture f;
    EXPECT_TRUE(ParseCompilerLog("", f.signals).Ok);
    EXPECT_TRUE(ParseCompilerLog("kvm.pas(41) Error: the banner is never read\r\n", f.signals).Ok);
    EXPECT_TRUE(
        ParseCompilerLog("banner\r\nLinking kvml.dll\r\n42 lines compiled\r\n", f.signals).Ok);
}

TEST(ParseCompilerLog, TheFirstMarkedLineDecides) {
    Fixture f;
    TModelOutcome r = ParseCompilerLog(
        "banner\r\nnoise\r\nkvm.pas(57) Hint: Value assigned to 'x' never used\r\n"
        "kvm.pas(45) Error: later\r\n",
        f.signals);
    EXPECT_FALSE(r.Ok);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Неточность в программе");
    EXPECT_EQ(r.Error->Text, "Hint: Value assigned to 'x' never used");
    EXPECT_EQ(r.Status, "Hint: Value assigned to 'x' never used");
    ASSERT_TRUE(r.Location);
    EXPECT_EQ(r.Location->SignalIndex, 1);
    EXPECT_EQ(r.Location->Line, 17);
}

TEST(ParseCompilerLog, KindWords) {
    Fixture f;
    const std::pair<const char*, const char*> cases[] = {
        {"x(1) Error: e", "Ошибка в программе"},
        {"x(1) Warning: w", "Предупреждение в программе"},
        {"x(1) Fatal: f", "Фатальная ошибка в программе"},
        {"x(1) Fatal: Error: both", "Ошибка в программе"},  // markers are tried in order
    };
    for (const auto& [line, title] : cases) {
        TModelOutcome r = ParseCompilerLog(std::string("banner\n") + line, f.signals);
        ASSERT_TRUE(r.Error) << line;
        EXPECT_EQ(r.Error->Title, title) << line;
    }
}

TEST(ParseCompilerLog, LinesWithoutAUsableNumberLeaveTheEditorAlone) {
    Fixture f;
    for (const char* line : {"kvml.dpr Fatal: Can't find unit X", "kvm.pas(abc) Error: x",
                             "kvm.pas)41( Error: x", "kvm.pas(0) Error: x"}) {
        TModelOutcome r = ParseCompilerLog(std::string("banner\n") + line, f.signals);
        ASSERT_TRUE(r.Error) << line;
        EXPECT_FALSE(r.Location) << line;
    }
}

TEST(LocateCompilerLine, FirstAndLastLinesOfASignal) {
    Fixture f;
    EXPECT_EQ(LocateCompilerLine(f.signals, 41, "Error: x")->Line, 1);
    EXPECT_EQ(LocateCompilerLine(f.signals, 65, "Error: x")->Line, 25);
    EXPECT_FALSE(LocateCompilerLine(f.signals, 40, "Error: x"));
    EXPECT_FALSE(LocateCompilerLine(f.signals, 66, "Error: x"));
}

TEST(LocateCompilerLine, ColumnOfTheQuotedIdentifier) {
    Fixture f;
    auto column = [&](const std::string& message) {
        return LocateCompilerLine(f.signals, 45, message)->Column;
    };
    EXPECT_EQ(column("Error: Identifier not found 'Freq'"), 12);
    EXPECT_EQ(column("Error: Identifier not found 'freq'"), 1) << "case-sensitive";
    EXPECT_EQ(column("Error: no identifier"), 1);
    EXPECT_EQ(column("Error: ''"), 1) << "empty identifier";
    EXPECT_EQ(column("Error: 'Zzz'"), 1) << "not in the line";
    EXPECT_EQ(column("Error: 'Freq"), 12) << "unclosed: the last character is left out";
}

// Signals First, Middle and Last, each with 10 lines from unit line 100, 200 and 300.
void ThreeSignals(TSignals& signals) {
    int start = 100;
    for (const char* name : {"First", "Middle", "Last"}) {
        auto signal = std::make_unique<TSignal>(signals);
        signal->SetName(name);
        for (int i = 1; i <= 10; ++i) signal->Lines().push_back("  Value := Signal_Last.Value;");
        signal->StartLine = start;
        start += 100;
        signals.Insert(std::move(signal), -1);
    }
}

// The hint named "Сигнал → Порядок", a menu item spelt "Изменить порядок...".
TEST(ReorderHint, AForwardReferenceNamesBothSignalsAndTheCommand) {
    TSignals signals;
    ThreeSignals(signals);
    const TModelOutcome r = ParseCompilerLog(
        "banner\r\nkvm.pas(205) Error: Identifier not found 'Signal_Last'\r\n", signals);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(
        r.Error->Text,
        "Идентификатор 'Signal_Last' не найден\r\n(Error: Identifier not found 'Signal_Last')\r\n"
        "Сигнал Last расположен ниже сигнала Middle: измените порядок сигналов "
        "(Сигнал → Изменить порядок...)");
    EXPECT_EQ(r.Status,
              "Идентификатор 'Signal_Last' не найден (Error: Identifier not found 'Signal_Last')")
        << "the status stays short";
    // Pascal ignores case; the hint names the signal as the list spells it.
    EXPECT_EQ(ReorderHint(signals, 0, "Error: Identifier not found 'signal_middle'"),
              "Сигнал Middle расположен ниже сигнала First: измените порядок сигналов "
              "(Сигнал → Изменить порядок...)");
}

TEST(ReorderHint, TheMoveGoesAboveTheFirstSignalThatUsesIt) {
    TSignals signals;
    ThreeSignals(signals);  // every one of them reads Signal_Last
    const TModelOutcome r = ParseCompilerLog(
        "banner\r\nkvm.pas(205) Error: Identifier not found 'Signal_Last'\r\n", signals);
    ASSERT_TRUE(r.Reorder);
    EXPECT_EQ(r.Reorder->From, 2);
    EXPECT_EQ(r.Reorder->To, 0) << "First uses it too";
    signals.Items(0).Lines() = {"  Value := Signal_LastOne.Value; // Signal_Lastly"};
    const std::optional<TSignalMove> move =
        ReorderMove(signals, 1, "Error: Identifier not found 'Signal_Last'");
    ASSERT_TRUE(move);
    EXPECT_EQ(move->To, 1) << "a longer name is another signal";
    EXPECT_FALSE(ReorderMove(signals, 1, "Error: Identifier not found 'Signal_Lsat'"));
    EXPECT_FALSE(
        ParseCompilerLog("banner\r\nkvm.pas(205) Error: Illegal expression\r\n", signals).Reorder);
}

TEST(ReorderHint, NoneForAMisspeltNameASignalAboveOrAnotherMessage) {
    TSignals signals;
    ThreeSignals(signals);
    EXPECT_FALSE(ReorderHint(signals, 1, "Error: Identifier not found 'Signal_Lsat'"));
    EXPECT_FALSE(ReorderHint(signals, 1, "Error: Identifier not found 'Signal_First'"))
        << "above: the message has another cause";
    EXPECT_FALSE(ReorderHint(signals, 1, "Error: Identifier not found 'Signal_Middle'"));
    EXPECT_FALSE(ReorderHint(signals, 1, "Error: Identifier not found 'Last'"));
    EXPECT_FALSE(ReorderHint(signals, 1, "Error: Illegal expression 'Signal_Last'"));
    EXPECT_FALSE(ReorderHint(signals, 5, "Error: Identifier not found 'Signal_Last'"));
    const TModelOutcome r = ParseCompilerLog(
        "banner\r\nkvm.pas(305) Error: Identifier not found 'Signal_Lsat'\r\n", signals);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(
        r.Error->Text,
        "Идентификатор 'Signal_Lsat' не найден\r\n(Error: Identifier not found 'Signal_Lsat')\r\n"
        "Возможно, Signal_Last?")
        << "no reorder hint, but the name meant";
    EXPECT_FALSE(r.Reorder);
}

// "Identifier not found" alone left the user to find the misspelt name.
TEST(ParseCompilerLog, AnUnknownIdentifierComesWithTheClosestOfTheUnit) {
    TSignals signals;
    ThreeSignals(signals);
    const std::vector<std::string> unit = {"var Signal_Msg: TSignal_Msg;", "  Freq := 3000;",
                                           "  Frac := 0;"};
    TModelOutcome r = ParseCompilerLog(
        "banner\r\nkvm.pas(305) Error: Identifier not found 'Sinal_Msg'\r\n", signals, unit);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text,
              "Идентификатор 'Sinal_Msg' не найден\r\n(Error: Identifier not found 'Sinal_Msg')\r\n"
              "Возможно, Signal_Msg?");
    EXPECT_EQ(r.Status,
              "Идентификатор 'Sinal_Msg' не найден (Error: Identifier not found 'Sinal_Msg')");
    r = ParseCompilerLog("banner\r\nkvm.pas(305) Error: Identifier not found 'Fraq'\r\n", signals,
                         unit);
    ASSERT_TRUE(r.Error);
    EXPECT_NE(r.Error->Text.find("\r\nВозможно, Frac или Freq?"), std::string::npos)
        << r.Error->Text;
    r = ParseCompilerLog("banner\r\nkvm.pas(305) Error: Identifier not found 'Amplitude'\r\n",
                         signals, unit);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text.find("Возможно"), std::string::npos) << "nothing alike: no guess";
}

TEST(ParseCompilerLog, AMessageOutsideTheTableStaysAsTheCompilerWroteIt) {
    Fixture f;
    const TModelOutcome r =
        ParseCompilerLog("banner\r\nkvml.dpr Error: Error while linking\r\n", f.signals);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text, "Error: Error while linking");
}

// The mark of "Illegal expression" for "Value := ;" stood in column 1.
TEST(LocateCompilerLine, AnIllegalExpressionIsMarkedWhereTheExpressionIsMissing) {
    TSignals signals;
    auto signal = std::make_unique<TSignal>(signals);
    signal->Lines() = {"  Value := ;", "  x:=;", "  Value := t; y :=", "  Value := (1 + );"};
    signal->StartLine = 10;
    signals.Insert(std::move(signal), -1);
    auto column = [&](int line) {
        return LocateCompilerLine(signals, 10 + line, "Error: Illegal expression")->Column;
    };
    EXPECT_EQ(column(1), 12) << "at the semicolon, where the expression goes";
    EXPECT_EQ(column(2), 6);
    EXPECT_EQ(column(3), 18) << "at the line's end";
    EXPECT_EQ(column(4), 1) << "no empty assignment: the first column, as before";
}

}  // namespace
}  // namespace kvaril
