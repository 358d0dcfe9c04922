#include "editing/Excitations.h"

#include "base/Cp1251.h"
#include "document/uSignal.h"

namespace kvaril {

namespace {

// The class skeleton around `fields`, the constructor's `init` and Make's `body`, after the
// signal's constants `consts` (lines written in UTF-8).
std::vector<std::string> SignalText(const std::string& name, const std::vector<std::string>& consts,
                                    const std::vector<std::string>& fields,
                                    const std::vector<std::string>& init,
                                    const std::vector<std::string>& body) {
    const std::string cls = "TSignal_" + name;
    std::vector<std::string> lines = consts;
    if (!consts.empty()) lines.emplace_back("");
    for (const std::string& line : std::vector<std::string>{"type", "  " + cls + " = class",
                                                            "  public", "    Value: Double;"})
        lines.push_back(line);
    for (const std::string& field : fields) lines.push_back("    " + field);
    for (const std::string& line : std::vector<std::string>{
             "", "    constructor Create;", "    procedure   Make(t: Double);", "  end;", "", "var",
             "  Signal_" + name + ": " + cls + ";", "", "constructor " + cls + ".Create;", "begin",
             "  inherited Create;"})
        lines.push_back(line);
    for (const std::string& line : init) lines.push_back("  " + line);
    for (const std::string& line :
         std::vector<std::string>{"end;", "", "procedure " + cls + ".Make(t: Double);", "begin"})
        lines.push_back(line);
    for (const std::string& line : body) lines.push_back("  " + line);
    lines.emplace_back("end;");
    for (std::string& line : lines) line = Utf8ToCp1251(line);
    return lines;
}

}  // namespace

const std::vector<TExcitationInfo>& Excitations() {
    static const std::vector<TExcitationInfo> kAll = {
        {TExcitation::Impulse, "&Импульс", "Единица в первом кванте, дальше ноль", "Impulse"},
        {TExcitation::Step, "&Ступенька", "Ноль до заданного времени, дальше единица", "Step"},
        {TExcitation::WhiteNoise, "&Белый шум",
         "Равномерный шум от -1 до 1, одинаковый в каждом запуске (задано зерно)", "Noise"},
        {TExcitation::Chirp, "&Логарифмический свип",
         "Синус, частота которого растет от F0 до F1 по экспоненте за время моделирования",
         "Chirp"},
        {TExcitation::MultiTone, "&Несколько тонов", "Сумма трех синусов с разными фазами",
         "Tones"},
    };
    return kAll;
}

std::string FreeSignalName(const TSignals& signals, const std::string& base) {
    auto taken = [&signals](const std::string& name) {
        for (int i = 0; i < signals.Count(); ++i)
            if (signals.Items(i).Name() == name) return true;
        return false;
    };
    if (!taken(base)) return base;
    for (int n = 2;; ++n)
        if (!taken(base + std::to_string(n))) return base + std::to_string(n);
}

std::vector<std::string> ExcitationLines(TExcitation kind, const std::string& name) {
    const std::string n = name + "_";
    switch (kind) {
        case TExcitation::Impulse:
            return SignalText(name, {}, {}, {""},
                              {"{ Единичный импульс в первом кванте }", "if CurrentQuant = 0 then",
                               "  Value := 1", "else", "  Value := 0;"});
        case TExcitation::Step:
            return SignalText(
                name, {"const " + n + "Start = 0; { с }"}, {}, {""},
                {"if t >= " + n + "Start then", "  Value := 1", "else", "  Value := 0;"});
        case TExcitation::WhiteNoise:
            // xorshift64: white to far beyond what a run can show, and the same in every run.
            return SignalText(
                name, {"const " + n + "Seed = 12345; { любое целое, кроме 0 }"}, {"State: QWord;"},
                {"State := " + n + "Seed;"},
                {"State := State xor (State shl 13);", "State := State xor (State shr 7);",
                 "State := State xor (State shl 17);",
                 "Value := (State shr 11) / 9007199254740992.0 * 2 - 1;"});
        case TExcitation::Chirp:
            return SignalText(
                name, {"const " + n + "F0 = 10; " + n + "F1 = 1000; { Гц, в начале и в конце }"},
                {}, {""},
                {"{ Частота растет от F0 до F1 по экспоненте за время моделирования }",
                 "Value := Sin(2 * Pi * " + n + "F0 * TotalTime / Ln(" + n + "F1 / " + n + "F0) *",
                 "  (Exp(Ln(" + n + "F1 / " + n + "F0) * t / TotalTime) - 1));"});
        case TExcitation::MultiTone:
            return SignalText(
                name, {"const " + n + "F1 = 50; " + n + "F2 = 500; " + n + "F3 = 2000; { Гц }"}, {},
                {""},
                {"{ Разные фазы: пики тонов не складываются }",
                 "Value := (Sin(2 * Pi * " + n + "F1 * t) + Sin(2 * Pi * " + n + "F2 * t + 1) +",
                 "  Sin(2 * Pi * " + n + "F3 * t + 2)) / 3;"});
    }
    return {};
}

}  // namespace kvaril
