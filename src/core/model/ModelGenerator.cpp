#include "model/ModelGenerator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/FileStreams.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "model/FileBytes.h"

namespace kvaril {

namespace {

constexpr const char* kQuantTitle = "Ошибка задания времени квантования";
constexpr const char* kTotalTitle = "Ошибка задания времени моделирования";

std::string TimesText(double quantTime, const char* bound, int32_t quanta) {
    return "При заданном времени кванта: " + FormatFloat(quantTime) + "\r\n" + bound +
           " время моделирования = " + FormatFloat(static_cast<long double>(quantTime) * quanta);
}

using TLines = std::vector<std::string>;

void Append(TLines& u, std::initializer_list<std::string> lines) { u.insert(u.end(), lines); }

// A note that the file is made anew, the interface, the run's times as constants, the globals.
void AddHeader(TLines& u, const TSignals& signals) {
    for (const char* note : {"{ Этот текст сгенерирован программой Kvaril",
                             "  перед сборкой модели и пишется заново при каждой сборке.",
                             "  Тексты сигналов взяты из документа без изменений;",
                             "  править их следует в окне Kvaril, а не здесь. }"})
        u.push_back(Utf8ToCp1251(note));
    Append(u, {
                  "",
                  "unit KVM;",
                  "",
                  "interface",
                  "",
                  "uses uSignalsData;",
                  "",
                  "procedure MainModelProc(const aSignalsData: TSignalsData); StdCall;",
                  "function  GetErrorFactor: Integer; StdCall;",
                  "function  GetErrorIndex:  Integer; StdCall;",
                  "",
                  "exports",
                  "  MainModelProc,",
                  "  GetErrorFactor,",
                  "  GetErrorIndex;",
                  "",
                  "implementation",
                  "",
                  "const",
              });
    u.push_back("  QuantTime: Double  = " + FormatFloat(signals.QuantTime()) + ";");
    u.push_back("  TotalTime: Double  = " + FormatFloat(signals.TotalTime()) + ";");
    u.push_back("  QuantCount         = " + std::to_string(signals.QuantCount()) + ";");
    Append(u, {
                  "",
                  "var",
                  "  SignalsData:  TSignalsData;",
                  "  CurrentQuant: Integer;",
                  "  CurrentTime:  Double;",
                  "  ErrorFactor:  Integer;",
                  "  ErrorIndex:   Integer;",
              });
}

// Every signal's text as the document has it; StartLine maps the compiler's lines back to it.
void AddSignalTexts(TLines& u, TSignals& signals) {
    for (int i = 0; i < signals.Count(); ++i) {
        TSignal& signal = signals.Items(i);
        u.push_back("");
        if (signal.Lines().empty()) continue;
        signal.StartLine = static_cast<int32_t>(u.size());
        for (const std::string& line : signal.Lines()) u.push_back(line);
        u.push_back("");
    }
}

// Creates the signals, drives them through the quanta and frees them. ErrorFactor (the phase)
// and ErrorIndex (the signal) tell the runner where a fault struck.
void AddMainModelProc(TLines& u, const TSignals& signals) {
    auto var = [&signals](int i) { return "Signal_" + signals.Items(i).Name(); };
    Append(u, {
                  "procedure MainModelProc(const aSignalsData: TSignalsData);",
                  "begin",
                  "  SignalsData  := aSignalsData;",
                  "  CurrentQuant := 0;",
                  "  CurrentTime  := 0;",
                  "  ErrorFactor  := 0;",
                  "  ErrorIndex   := 0;",
              });
    for (int i = 0; i < signals.Count(); ++i)
        Append(u, {"  " + var(i) + " := T" + var(i) + ".Create;", "  Inc(ErrorIndex);"});
    Append(u, {
                  "  ErrorFactor := 1;",
                  "  while CurrentQuant < QuantCount do begin",
                  "    ErrorIndex := 0;",
              });
    for (int i = 0; i < signals.Count(); ++i)
        Append(u, {
                      "    " + var(i) + ".Make(CurrentTime);",
                      "    SignalsData.SetData(" + std::to_string(i) + ", CurrentQuant, " + var(i) +
                          ".Value);",
                      "    Inc(ErrorIndex);",
                  });
    Append(u, {
                  "    Inc(CurrentQuant);",
                  "    CurrentTime := CurrentQuant * QuantTime;",
                  "  end;",
                  "  ErrorFactor := 2;",
                  "  ErrorIndex  := 0;",
              });
    for (int i = 0; i < signals.Count(); ++i)
        Append(u, {"  " + var(i) + ".Free;", "  Inc(ErrorIndex);"});
    u.push_back("end;");
}

// What the runner asks after a fault: the phase and the signal that were running.
void AddErrorGetters(TLines& u) {
    Append(u, {
                  "",
                  "function GetErrorFactor: Integer;",
                  "begin",
                  "  result := ErrorFactor;",
                  "end;",
                  "",
                  "function GetErrorIndex: Integer;",
                  "begin",
                  "  result := ErrorIndex;",
                  "end;",
              });
}

}  // namespace

std::optional<TErrorBox> CheckModelTimes(const TSignals& signals, int32_t maxQuanta) {
    // NaN and infinity are no quantization time either (a damaged or hand-made file).
    if (!(signals.QuantTime() >= MinQuantTime) || std::isinf(signals.QuantTime()))
        return TErrorBox{kQuantTitle,
                         "Минимальное время квантования = " + FormatFloat(MinQuantTime)};
    if (signals.QuantCount() < 10)
        return TErrorBox{kTotalTitle, TimesText(signals.QuantTime(), "минимальное", 10)};
    if (signals.QuantCount() > maxQuanta)
        return TErrorBox{kTotalTitle, TimesText(signals.QuantTime(), "максимальное", maxQuanta)};
    return std::nullopt;
}

TQuantaPreview PreviewQuanta(const std::string& quantText, const std::string& totalText,
                             double quantTime, double totalTime, int32_t maxQuanta) {
    // The same setters as accepting the dialog, on a scratch list.
    TSignals scratch;
    scratch.SetQuantTime(StrToFloatDefault(quantText, quantTime));
    scratch.SetTotalTime(StrToFloatDefault(totalText, totalTime));
    TQuantaPreview preview;
    preview.QuantCount = scratch.QuantCount();
    preview.Allowed = preview.QuantCount >= 10 && preview.QuantCount <= maxQuanta;
    const std::string quanta = "Квантов: " + std::to_string(preview.QuantCount);
    if (preview.Allowed)
        preview.Text =
            quanta + ", частота дискретизации: " + FormatFloat(1.0L / scratch.QuantTime()) + " Гц";
    else if (preview.QuantCount > kClassicMaxQuanta && maxQuanta == kClassicMaxQuanta &&
             preview.QuantCount <= kLongMaxQuanta)
        preview.Text = quanta +
                       " - действует классический предел 10000 квантов; снять его: "
                       "Моделирование → Длинные прогоны (до 10000000 квантов)";
    else
        preview.Text = quanta + " - допустимо от 10 до " + std::to_string(maxQuanta) + " квантов";
    return preview;
}

double ModelTime(const TSignals& signals, int quant) {
    const double quantTime = StrToFloatDefault(FormatFloat(signals.QuantTime()), 0);
    return quant * quantTime;
}

std::vector<std::string> GenerateUnit(TSignals& signals) {
    TLines u;
    AddHeader(u, signals);
    AddSignalTexts(u, signals);
    AddMainModelProc(u, signals);
    AddErrorGetters(u);
    Append(u, {"", "end."});
    return u;
}

void SaveUnit(const std::vector<std::string>& lines, const std::string& path) {
    const std::string text = JoinLines(lines);
    // An unchanged unit stays as it is: replacing a file makes the file system write it out,
    // which every run of a repeated sweep would wait for.
    if (const std::optional<std::string> saved = ReadRegularFile(path); saved && *saved == text)
        return;
    // A new file renamed over the old name: the rename replaces a symbolic link itself, so the
    // unit never lands in whatever a link in the model folder points to.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) throw EFileError("Cannot create file " + path + ": " + std::strerror(errno));
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const int writeError = done == text.size() ? 0 : errno ? errno : EIO;
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || writeError != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = writeError ? writeError : errno;
        ::unlink(temp.c_str());
        throw EFileError("Cannot write file " + path + ": " + std::strerror(error));
    }
}

}  // namespace kvaril
