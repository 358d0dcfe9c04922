#include "model/ModelGenerator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "Errors.h"
#include "document/Cp1251.h"
#include "document/FileStreams.h"
#include "document/uSignal.h"
#include "model/uCommon.h"

namespace kvaril {

namespace {

constexpr const char* kQuantTitle = "Ошибка задания времени квантования";
constexpr const char* kTotalTitle = "Ошибка задания времени моделирования";

std::string TimesText(double quantTime, const char* bound, int quanta) {
    return "При заданном времени кванта: " + FormatFloat(quantTime) + "\r\n" + bound +
           " время моделирования = " + FormatFloat(static_cast<long double>(quantTime) * quanta);
}

}  // namespace

std::optional<TErrorBox> CheckModelTimes(const TSignals& signals) {
    // NaN and infinity are no quantization time either (a damaged or hand-made file).
    if (!(signals.QuantTime() >= MinQuantTime) || std::isinf(signals.QuantTime()))
        return TErrorBox{kQuantTitle,
                         "Минимальное время квантования = " + FormatFloat(MinQuantTime)};
    if (signals.QuantCount() < 10)
        return TErrorBox{kTotalTitle, TimesText(signals.QuantTime(), "минимальное", 10)};
    if (signals.QuantCount() > 10000)
        return TErrorBox{kTotalTitle, TimesText(signals.QuantTime(), "максимальное", 10000)};
    return std::nullopt;
}

TQuantaPreview PreviewQuanta(const std::string& quantText, const std::string& totalText,
                             double quantTime, double totalTime) {
    // The same setters as accepting the dialog, on a scratch list.
    TSignals scratch;
    scratch.SetQuantTime(StrToFloatDefault(quantText, quantTime));
    scratch.SetTotalTime(StrToFloatDefault(totalText, totalTime));
    TQuantaPreview preview;
    preview.QuantCount = scratch.QuantCount();
    preview.Allowed = preview.QuantCount >= 10 && preview.QuantCount <= 10000;
    const std::string quanta = "Квантов: " + std::to_string(preview.QuantCount);
    if (preview.Allowed)
        preview.Text =
            quanta + ", частота дискретизации: " + FormatFloat(1.0L / scratch.QuantTime()) + " Гц";
    else
        preview.Text = quanta + " - допустимо от 10 до 10000 квантов";
    return preview;
}

double ModelTime(const TSignals& signals, int quant) {
    const double quantTime = StrToFloatDefault(FormatFloat(signals.QuantTime()), 0);
    return quant * quantTime;
}

std::vector<std::string> GenerateUnit(TSignals& signals) {
    std::vector<std::string> u;
    auto add = [&u](std::string line) { u.push_back(std::move(line)); };
    add(Utf8ToCp1251("{ Этот текст сгенерирован программой Kvaril"));
    add(Utf8ToCp1251("  перед сборкой модели и пишется заново при каждой сборке."));
    add(Utf8ToCp1251("  Тексты сигналов взяты из документа без изменений;"));
    add(Utf8ToCp1251("  править их следует в окне Kvaril, а не здесь. }"));
    add("");
    add("unit KVM;");
    add("");
    add("interface");
    add("");
    add("uses uSignalsData;");
    add("");
    add("procedure MainModelProc(const aSignalsData: TSignalsData); StdCall;");
    add("function  GetErrorFactor: Integer; StdCall;");
    add("function  GetErrorIndex:  Integer; StdCall;");
    add("");
    add("exports");
    add("  MainModelProc,");
    add("  GetErrorFactor,");
    add("  GetErrorIndex;");
    add("");
    add("implementation");
    add("");
    add("const");
    add("  QuantTime: Double  = " + FormatFloat(signals.QuantTime()) + ";");
    add("  TotalTime: Double  = " + FormatFloat(signals.TotalTime()) + ";");
    add("  QuantCount         = " + std::to_string(signals.QuantCount()) + ";");
    add("");
    add("var");
    add("  SignalsData:  TSignalsData;");
    add("  CurrentQuant: Integer;");
    add("  CurrentTime:  Double;");
    add("  ErrorFactor:  Integer;");
    add("  ErrorIndex:   Integer;");

    for (int i = 0; i < signals.Count(); ++i) {
        TSignal& signal = signals.Items(i);
        add("");
        if (signal.Lines().empty()) continue;
        signal.StartLine = static_cast<int32_t>(u.size());
        for (const std::string& line : signal.Lines()) add(line);
        add("");
    }

    auto var = [&signals](int i) { return "Signal_" + signals.Items(i).Name(); };
    add("procedure MainModelProc(const aSignalsData: TSignalsData);");
    add("begin");
    add("  SignalsData  := aSignalsData;");
    add("  CurrentQuant := 0;");
    add("  CurrentTime  := 0;");
    add("  ErrorFactor  := 0;");
    add("  ErrorIndex   := 0;");
    for (int i = 0; i < signals.Count(); ++i) {
        add("  " + var(i) + " := T" + var(i) + ".Create;");
        add("  Inc(ErrorIndex);");
    }
    add("  ErrorFactor := 1;");
    add("  while CurrentQuant < QuantCount do begin");
    add("    ErrorIndex := 0;");
    for (int i = 0; i < signals.Count(); ++i) {
        add("    " + var(i) + ".Make(CurrentTime);");
        add("    SignalsData.SetData(" + std::to_string(i) + ", CurrentQuant, " + var(i) +
            ".Value);");
        add("    Inc(ErrorIndex);");
    }
    add("    Inc(CurrentQuant);");
    add("    CurrentTime := CurrentQuant * QuantTime;");
    add("  end;");
    add("  ErrorFactor := 2;");
    add("  ErrorIndex  := 0;");
    for (int i = 0; i < signals.Count(); ++i) {
        add("  " + var(i) + ".Free;");
        add("  Inc(ErrorIndex);");
    }
    add("end;");
    add("");
    add("function GetErrorFactor: Integer;");
    add("begin");
    add("  result := ErrorFactor;");
    add("end;");
    add("");
    add("function GetErrorIndex: Integer;");
    add("begin");
    add("  result := ErrorIndex;");
    add("end;");
    add("");
    add("end.");
    return u;
}

void SaveUnit(const std::vector<std::string>& lines, const std::string& path) {
    // A new file renamed over the old name: the rename replaces a symbolic link itself, so the
    // unit never lands in whatever a link in the model folder points to.
    const std::string text = JoinLines(lines);
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
