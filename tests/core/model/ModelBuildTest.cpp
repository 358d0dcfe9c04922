// Building models with the real compiler (Free Pascal behind the dcc32 stand-in).

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Cp1251.h"
#include "model/ModelFixture.h"

namespace kvaril {
namespace {

using ModelBuild = testing::ModelFixture;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(ModelBuild, OrdinarySignalsBuildWithoutAnyDiagnostic) {
    Add("Const", "  Value := 1;");
    Add("NoT", "  Value := Signal_Const.Value * 2;");
    Add("Sine", "  Value := Sin(2 * Pi * 50 * t);");
    Add("Mixed", "  Value := Signal_Sine.Value + Power(t, 2) + Abs(Cos(t));");
    TModelOutcome r = Build();
    EXPECT_TRUE(r.Ok) << (r.Error ? r.Error->Title + ": " + r.Error->Text : "no box")
                      << " cancelled=" << r.Cancelled;
    EXPECT_TRUE(std::filesystem::exists(binDir_ + "kvml.dll"));
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvml.err")) << "a clean log is deleted";
    EXPECT_TRUE(std::filesystem::exists(binDir_ + "kvm.pas"));
}

TEST_F(ModelBuild, AnErrorInTheSecondSignalIsLocatedThere) {
    Add("A", "  Value := t;");
    TSignal& b = Add("B", "  Value := t;");
    b.Lines()[4] = "    Speed: Doubel;";  // line 5 of the second signal
    TModelOutcome r = Build();
    EXPECT_FALSE(r.Ok);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Ошибка в программе");
    EXPECT_NE(r.Error->Text.find("'Doubel'"), std::string::npos) << r.Error->Text;
    ASSERT_TRUE(r.Location);
    EXPECT_EQ(r.Location->SignalIndex, 1);
    EXPECT_EQ(r.Location->Line, 5);
    EXPECT_EQ(r.Location->Column, 12);
    EXPECT_TRUE(std::filesystem::exists(binDir_ + "kvml.err")) << "the log stays";
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvml.dll"));
}

TEST_F(ModelBuild, ASyntaxErrorPutsTheCaretOnTheTokenFound) {
    TSignal& a = Add("A", "  Value := t Foo;");
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text,
              "Синтаксическая ошибка: ожидалось ';', а встречен идентификатор 'Foo'\r\n"
              "(Fatal: Syntax error, identifier 'Foo' found but ';' expected)");
    ASSERT_TRUE(r.Location);
    EXPECT_EQ(r.Location->Line, static_cast<int>(a.Lines().size()) - 1);
    EXPECT_EQ(r.Location->Column, 14);
}

// The skeleton's "Value := ;" compiled as it is: the mark stood in column 1.
TEST_F(ModelBuild, TheEmptyExpressionOfANewSignalIsMarkedWhereItGoes) {
    TSignal& a = Add("A", "  Value := ;");
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text, "Недопустимое выражение\r\n(Error: Illegal expression)");
    ASSERT_TRUE(r.Location);
    EXPECT_EQ(r.Location->Line, static_cast<int>(a.Lines().size()) - 1);
    EXPECT_EQ(r.Location->Column, 12);
}

TEST_F(ModelBuild, AMisspeltNameComesWithTheOneMeant) {
    TSignal& a = Add("A", "  Value := Sin(2 * Pi * Frq * t);");
    a.Lines().insert(a.Lines().end() - 3, "const Freq = 50;");
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Text,
              "Идентификатор 'Frq' не найден\r\n(Error: Identifier not found 'Frq')\r\n"
              "Возможно, Freq?");
}

TEST_F(ModelBuild, ALinkFailureNamesTheMissingLibrary) {
    TSignal& a = Add("A", "  Nothing; Value := t;");
    a.Lines().insert(a.Lines().begin(), "procedure Nothing; cdecl; external 'kvarilnosuchlib';");
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_NE(r.Error->Text.find("Error while linking"), std::string::npos) << r.Error->Text;
    EXPECT_NE(r.Error->Text.find("-lkvarilnosuchlib"), std::string::npos) << r.Error->Text;
}

TEST_F(ModelBuild, AWarningStopsTheBuildLikeAnError) {
    TSignal& a = Add("A", "  Value := x;");
    a.Lines().insert(a.Lines().end() - 3, "var x: Double;");
    TModelOutcome r = Build();
    EXPECT_FALSE(r.Ok);
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Предупреждение в программе");
    ASSERT_TRUE(r.Location);
    EXPECT_EQ(r.Location->Line, static_cast<int>(a.Lines().size()) - 1);
    EXPECT_EQ(r.Location->Column, 12);
}

TEST_F(ModelBuild, ALogOfOneLineIsClean) {
    Add("A", "  Value := t;");
    FakeCompiler("echo 'kvm.pas(35) Error: only a banner'");
    EXPECT_TRUE(Build().Ok);
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvml.err"));
}

TEST_F(ModelBuild, AnEmptyLogIsAWriteError) {
    Add("A", "  Value := t;");
    FakeCompiler("exit 0");
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Файловая ошибка при компиляции");
    EXPECT_EQ(r.Error->Text, "Ошибка записи Bin\\kvml.err");
}

TEST_F(ModelBuild, ACompilerThatNeverEndsTimesOutAndIsStopped) {
    Add("A", "  Value := t;");
    FakeCompiler("echo banner; sleep 30 & echo $! > child.pid; wait");
    const auto started = std::chrono::steady_clock::now();
    TModelOutcome r = Build(std::chrono::milliseconds(300));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Ошибка при компиляции");
    EXPECT_EQ(r.Error->Text, "Таймаут выполнения компиляции");
    EXPECT_TRUE(std::filesystem::exists(binDir_ + "kvml.err"));
    // The compiler's own children went with it.
    const pid_t child = std::atoi(Slurp(binDir_ + "child.pid").c_str());
    ASSERT_GT(child, 0);
    // Dead or a zombie nobody reaps (in a container without an init that does).
    auto alive = [child] {
        std::string stat = Slurp("/proc/" + std::to_string(child) + "/stat");
        size_t close = stat.rfind(')');
        return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
    };
    for (int i = 0; i < 100 && alive(); ++i) ::usleep(10000);
    EXPECT_FALSE(alive());
}

TEST_F(ModelBuild, AMissingCompilerCannotBeStarted) {
    Add("A", "  Value := t;");
    std::filesystem::remove(binDir_ + "dcc32");
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Ошибка старта компилятора");
    EXPECT_EQ(r.Error->Text, "No such file or directory");
}

TEST_F(ModelBuild, AMissingFreePascalIsAFatalLine) {
    Add("A", "  Value := t;");
    ::setenv("KVARIL_PPCX64", "/nonexistent/ppcx64", 1);
    TModelOutcome r = Build();
    ::unsetenv("KVARIL_PPCX64");
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Фатальная ошибка в программе");
    EXPECT_NE(r.Error->Text.find("fp-compiler"), std::string::npos) << r.Error->Text;
    EXPECT_FALSE(r.Location);
}

TEST_F(ModelBuild, BadTimesWriteNothing) {
    Add("A", "  Value := t;");
    signals_.SetTotalTime(100);  // a million quanta
    TModelOutcome r = Build();
    ASSERT_TRUE(r.Error);
    EXPECT_EQ(r.Error->Title, "Ошибка задания времени моделирования");
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvm.pas"));
}

TEST_F(ModelBuild, TheUnitIsWindows1251WithCrLf) {
    Add("A", "  Value := t; { " + Utf8ToCp1251("комментарий") + " }");
    ASSERT_TRUE(Build().Ok);
    const std::string unit = Slurp(binDir_ + "kvm.pas");
    EXPECT_EQ(unit.substr(0, 2), "{ ");
    EXPECT_NE(unit.find(Utf8ToCp1251("комментарий")), std::string::npos);
    EXPECT_NE(unit.find("unit KVM;\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kvaril
