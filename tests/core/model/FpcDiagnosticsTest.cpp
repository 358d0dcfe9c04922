#include "model/FpcDiagnostics.h"

#include <gtest/gtest.h>

#include "model/FpcBuild.h"

namespace kvaril {
namespace {

using Lines = std::vector<std::string>;

TEST(RewriteFpcOutput, KeepsUserDiagnosticsInTheDriversForm) {
    Lines unit(60, "");
    unit[54] = "  Value := Freq * t;";
    const std::string output =
        "kvm.pas(55,14) Error: (5000) Identifier not found \"Freq\"\n"
        "kvm.pas(155) Fatal: (10026) There were 1 errors compiling module, stopping\n"
        "Fatal: (1018) Compilation aborted\n";
    EXPECT_EQ(RewriteFpcOutput(output, unit),
              (Lines{"kvm.pas(55) Error: Identifier not found 'Freq'"}));
}

// A line number beyond any int (a damaged log; fuzzing found the overflow) reads as no
// diagnostic of the compiler's form, instead of wrapping around into some line of the unit.
TEST(RewriteFpcOutput, ALineNumberTooLargeIsNoPlace) {
    Lines unit(60, "");
    const std::string output =
        "kvm.pas(99999999999999999999,14) Error: (5000) Identifier not found \"Freq\"\n";
    EXPECT_EQ(RewriteFpcOutput(output, unit), Lines{});
}

TEST(RewriteFpcOutput, ErrorsComeBeforeWarningsAndWarningsBeforeHints) {
    const std::string output =
        "kvm.pas(40,3) Hint: (5025) Local variable \"k\" not used\n"
        "kvm.pas(41,3) Warning: (5036) Local variable \"x\" does not seem to be initialized\n"
        "kvm.pas(42,3) Error: (3000) boom\n"
        "kvm.pas(43,3) Note: (5029) noted\n";
    EXPECT_EQ(RewriteFpcOutput(output, {}),
              (Lines{"kvm.pas(42) Error: boom",
                     "kvm.pas(41) Warning: Local variable 'x' does not seem to be initialized",
                     "kvm.pas(40) Hint: Local variable 'k' not used"}));
}

TEST(RewriteFpcOutput, OurOwnFilesOnlyReportErrorsAndWithoutALine) {
    const std::string output =
        "uSignalsData.pas(20,5) Hint: (5029) Private field \"FMaxima\" is never used\n"
        "kvml.dpr(30,1) Error: (9013) Error while linking\n"
        "/usr/bin/ld: cannot find -lc\n"
        "Error: (9015) Linking failed\n";
    EXPECT_EQ(RewriteFpcOutput(output, {}),
              (Lines{"kvml.dpr Error: Error while linking: cannot find -lc",
                     "kvml.dpr Error: Linking failed"}));
}

TEST(RewriteFpcOutput, ALinkFailureKeepsTheLinkersWordOnWhatIsMissing) {
    const std::string output =
        "Warning: (9034) \"crtbeginS.o\" not found, this will probably cause a linking failure\n"
        "/usr/bin/ld.bfd: cannot find -lnosuchlib: No such file or directory\n"
        "Error: (9013) Error while linking\n"
        "Fatal: (10026) There were 1 errors compiling module, stopping\n";
    EXPECT_EQ(RewriteFpcOutput(output, {}),
              (Lines{"kvml.dpr Error: Error while linking: cannot find -lnosuchlib: No such file "
                     "or directory"}));
}

TEST(RewriteFpcOutput, ExpectedButFoundLocatesTheFoundTokenWithOneQuotingStyle) {
    Lines unit(10, "");
    unit[4] = "  Value := t Foo;";
    EXPECT_EQ(RewriteFpcOutput(
                  "kvm.pas(5,15) Error: (2003) Syntax error, \";\" expected but \"identifier FOO\" "
                  "found\n",
                  unit),
              (Lines{"kvm.pas(5) Error: Syntax error, identifier 'Foo' found but ';' expected"}));
    EXPECT_EQ(
        RewriteFpcOutput(
            "kvm.pas(5,3) Error: (2003) Syntax error, \"BEGIN\" expected but \"END\" found\n", {}),
        (Lines{"kvm.pas(5) Error: Syntax error, 'END' found but 'BEGIN' expected"}));
    EXPECT_EQ(
        RewriteFpcOutput(
            "kvm.pas(5,3) Error: (4001) Incompatible types: got \"Double\" expected \"Int64\"\n",
            {}),
        (Lines{"kvm.pas(5) Error: Incompatible types: got 'Double' expected 'Int64'"}));
}

TEST(RewriteFpcOutput, IdentifierSpellingComesFromTheSource) {
    Lines unit(10, "");
    unit[4] = "  Value := value + MyVar;";
    EXPECT_EQ(RewriteFpcOutput("kvm.pas(5,21) Error: (1) identifier \"MYVAR\" bad\n", unit),
              (Lines{"kvm.pas(5) Error: identifier 'MyVar' bad"}));
    // Two spellings that differ only in case: the one at the reported column.
    EXPECT_EQ(RewriteFpcOutput("kvm.pas(5,12) Error: (1) \"VALUE\" x\n", unit),
              (Lines{"kvm.pas(5) Error: 'value' x"}));
    EXPECT_EQ(RewriteFpcOutput("kvm.pas(5,3) Error: (1) \"VALUE\" x\n", unit),
              (Lines{"kvm.pas(5) Error: 'Value' x"}));
}

TEST(RewriteFpcOutput, ApostrophesInTheTextCannotBeMistakenForTheIdentifier) {
    EXPECT_EQ(RewriteFpcOutput("kvm.pas(5,3) Fatal: (1) Can't find \"X\"\n", {}),
              (Lines{"kvm.pas(5) Fatal: Can`t find 'X'"}));
}

TEST(PatchUnitForFpc, BlanksTheExportsClauseAndKeepsTheLineCount) {
    const Lines unit = {"unit KVM;",        "exports",        "  MainModelProc,",
                        "  GetErrorIndex;", "implementation", "exports"};
    const Lines patched = PatchUnitForFpc(unit);
    ASSERT_EQ(patched.size(), unit.size());
    EXPECT_EQ(patched[1], "{$SAFEFPUEXCEPTIONS ON}");
    EXPECT_EQ(patched[2], "");
    EXPECT_EQ(patched[3], "");
    EXPECT_EQ(patched[4], "implementation");
    EXPECT_EQ(patched[5], "exports") << "only the header's clause";
}

}  // namespace
}  // namespace kvaril
