// Kvaril's entry point: the workbench window, or without a window the document account
// (--info) and the batch run (--run).

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/Interruption.h"
#include "batch/BatchRun.h"
#include "batch/DocumentInfo.h"
#include "batch/RunCommand.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "model/ModelBox.h"
#include "model/ModelDirectory.h"
#include "model/RunHistory.h"
#include "osc/BeamPalette.h"
#include "scope/PictureExport.h"
#include "ui/Application.h"

#include <QDir>
#include <QGuiApplication>

namespace {

void PrintUsage(std::ostream& out) {
    out << "Kvaril: моделирование сигналов и алгоритмов их обработки\n"
           "\n"
           "Использование:\n"
           "  kvaril [ФАЙЛ.sig]                      открыть окно (и документ)\n"
           "  kvaril --info ФАЙЛ.sig                 показать содержимое документа\n"
           "  kvaril --run ФАЙЛ.sig [--csv ВЫХОД.csv] [--wav ВЫХОД.wav]\n"
           "               [--signals A,B] [--from T0] [--to T1] [--timeout СЕКУНДЫ]\n"
           "               [--png КАРТИНКА.png|.svg|.pdf] [--size ШxВ] [--screen N|all]\n"
           "               [--view grid,legend,shared,colors,cursors] [--long]\n"
           "               [--against ЭТАЛОН.csv [--tolerance X]] [--reference ЭТАЛОН.csv]\n"
           "                                         собрать и выполнить модель без окна;\n"
           "                                         --csv и --wav пишут отсчеты сигналов\n"
           "                                         --signals (по умолчанию всех) от T0 до T1 с\n"
           "                                         (по умолчанию за весь прогон);\n"
           "                                         --png рисует экран N (с 1) осциллографа\n"
           "                                         или все экраны друг под другом (all);\n"
           "                                         формат - по расширению файла;\n"
           "                                         --view добавляет сетку, подписи лучей,\n"
           "                                         общий масштаб групп и цвета по лучам,\n"
           "                                         как в меню Вид, и курсоры A/B на трети\n"
           "                                         и двух третях окна;\n"
           "                                         --against сверяет отсчеты с эталоном;\n"
           "                                         --long - длинные прогоны: до 10000000\n"
           "                                         квантов вместо 10000\n"
           "               [--sweep Сигнал.Имя=V1,V2,...|ОТ:ДО:ЧИСЛО[log]] (до двух раз)\n"
           "                                         модель для каждого значения константы\n"
           "                                         (параллельно); с --csv, --stats,\n"
           "                                         --spectrum, --peaks, --measure,\n"
           "                                         --response, --png\n"
           "                                         (прогоны друг на друге) и --long\n"
           "               [--stats СТАТИСТИКА.csv] [--spectrum СПЕКТР.csv]\n"
           "               [--peaks ПИКИ.csv [--peaks-count N] [--threshold ДБ]]\n"
           "               [--window rect|hann|hamming|blackman-harris]\n"
           "               [--response Вход:Выход[,Выход2...] ОТКЛИК.csv [--segment N]]\n"
           "               [--measure freq,rise,thd,...|all|delay:A,B ИЗМЕРЕНИЯ.csv]\n"
           "               [--signals A,B] [--from T0] [--to T1]\n"
           "               [--span window|run|A..B|m1..m2]\n"
           "                                         статистика сигналов и их амплитудный\n"
           "                                         спектр (окно Ханна по умолчанию) на\n"
           "                                         отрезке времени T0..T1 (в секундах)\n"
           "                                         или интервале первого экрана --span\n"
           "                                         (окно, весь запуск, курсоры, метки);\n"
           "                                         --peaks - N наибольших пиков спектра\n"
           "                                         каждого сигнала (5) не ниже порога\n"
           "                                         (-60 дБ); --response - передаточная\n"
           "                                         функция выходов по входу (H1 Уэлча,\n"
           "                                         N отсчетов в сегменте): f, Y_dB, Y_deg,\n"
           "                                         Y_coh (когерентность); --measure -\n"
           "                                         автоматические измерения каждого\n"
           "                                         сигнала (пустая ячейка - не измерить);\n"
           "                                         ВЫХОД - (минус) - стандартный вывод для\n"
           "                                         CSV, статистики, спектра и отклика;\n"
           "                                         команда пишет все свои файлы или ни\n"
           "                                         одного\n"
           "  kvaril --help                          эта справка\n";
}

// Pictures need fonts, so a GUI application, but no display: Qt's offscreen platform, and a
// runtime folder of our own when the session has none (Qt would warn about it on every run).
void PrepareHeadlessGui() {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700)
        return;
    std::string folder = QDir::tempPath().toStdString() + "/kvaril-runtime-XXXXXX";
    if (::mkdtemp(folder.data())) setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

// Removes the runtime folder PrepareHeadlessGui made, when it made one and nothing was left in
// it.
struct TRuntimeFolderGuard {
    std::string Before = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ~TRuntimeFolderGuard() {
        const char* now = std::getenv("XDG_RUNTIME_DIR");
        if (now && Before != now) ::rmdir(now);
    }
};

std::string DrawPicture(const kvaril::TPictureRequest& request, const std::vector<int>& screens,
                        const kvaril::TSignals& signals, const kvaril::TOsc& osc,
                        const kvaril::TStoredRun* reference, const kvaril::TSweepShown* sweep,
                        const std::string& path) {
    TRuntimeFolderGuard runtime;
    PrepareHeadlessGui();
    int argc = 1;
    char name[] = "kvaril";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    kvaril::TScreensPicture picture;
    picture.Screens = screens;
    picture.Size = QSize(request.Width, request.Height);
    picture.Reference = reference;
    picture.Options.SharedGroupScale = request.SharedGroupScale;
    picture.Options.Legend = request.Legend;
    if (request.Legend) picture.Options.Names = kvaril::SignalNamesUtf8(signals);
    picture.Options.BeamColors = request.BeamColors;
    picture.Options.Sweep = sweep;
    if (request.BeamColors && request.Legend && reference)
        picture.Options.ReferenceLabel = kvaril::ReferenceLegendText(reference->Label);
    picture.Grid = request.Grid;
    picture.Cursors = request.Cursors;
    const QString target = QString::fromLocal8Bit(request.Path.c_str());
    QString error = kvaril::CheckScreensPicture(osc, picture, target);
    if (error.isEmpty())
        error = kvaril::WriteScreensPicture(osc, signals, picture, target,
                                            QString::fromLocal8Bit(path.c_str()));
    return error.toStdString();
}

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
    // Before any document is read: a model it runs must find no way into this process.
    kvaril::ProtectWorkbench();
    try {
        if (argc == 3 && std::strcmp(argv[1], "--info") == 0)
            return kvaril::PrintDocumentInfo(argv[2], std::cout, std::cerr);
        if (argc >= 2 && std::strcmp(argv[1], "--run") == 0) {
            kvaril::TBatchOptions options;
            const auto known = [](std::string_view path) {
                return kvaril::PictureFormatOf(QString::fromLocal8Bit(path.data(), path.size())) !=
                       kvaril::TPictureFormat::Unknown;
            };
            if (const std::string error = kvaril::ParseRunCommand(
                    std::vector<std::string>(argv + 2, argv + argc), options, known);
                !error.empty()) {
                std::cerr << "Kvaril: " << error << "\n\n";
                PrintUsage(std::cerr);
                return 1;
            }
            options.DrawPicture = DrawPicture;
            options.ProgressLine = ::isatty(STDERR_FILENO) == 1;
            options.BinDir = kvaril::ResolveBinDir(kvaril::ProgramDir());
            kvaril::CatchInterruptions();
            const int status = kvaril::RunBatch(options, std::cout, std::cerr);
            if (const int signal = kvaril::InterruptingSignal()) {
                std::cerr << "Kvaril: " << kvaril::InterruptionText(signal) << "\n";
                return 128 + signal;
            }
            return status;
        }
        if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
            PrintUsage(std::cout);
            return 0;
        }
        if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
            PrintUsage(std::cerr);
            return 2;
        }
        if (!HasDisplay()) {
            std::cerr << "Kvaril: нет графического дисплея (DISPLAY не задан). Без окна документ "
                         "можно выполнить так:\n  kvaril --run ФАЙЛ.sig --csv ВЫХОД.csv\n";
            return 1;
        }
        kvaril::TApplication app(argc, argv);
        return kvaril::RunWorkbench(app, argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString());
    } catch (const std::exception& e) {
        std::cerr << "Kvaril: " << e.what() << "\n";
        return 1;
    }
}
