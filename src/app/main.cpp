// Kvaril's entry point: the workbench window, or without a window the document account
// (--info) and the batch run (--run).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "document/DocumentInfo.h"
#include "model/BatchRun.h"
#include "model/ModelDirectory.h"
#include "model/SampleCsv.h"
#include "model/uCommon.h"
#include "osc/PictureExport.h"
#include "ui/Application.h"

#include <QGuiApplication>

namespace {

void PrintUsage(std::ostream& out) {
    out << "Kvaril: моделирование сигналов и алгоритмов их обработки\n"
           "\n"
           "Использование:\n"
           "  kvaril [ФАЙЛ.sig]                      открыть окно (и документ)\n"
           "  kvaril --info ФАЙЛ.sig                 показать содержимое документа\n"
           "  kvaril --run ФАЙЛ.sig [--csv ВЫХОД.csv] [--timeout СЕКУНДЫ]\n"
           "               [--png КАРТИНКА.png|.svg] [--size ШxВ] [--screen N]\n"
           "               [--against ЭТАЛОН.csv [--tolerance X]] [--reference ЭТАЛОН.csv]\n"
           "                                         собрать и выполнить модель без окна;\n"
           "                                         --png рисует экран N (с 1) осциллографа;\n"
           "                                         --against сверяет отсчеты с эталоном\n"
           "  kvaril --help                          эта справка\n";
}

struct TPictureOptions {
    std::string Path;
    std::string Reference;  // a CSV drawn behind the beams
    int Width = 800, Height = 400;
    int Screen = 1;
};

bool ParseSize(const char* text, TPictureOptions& picture) {
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text, "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 1 || h < 1 || w > 20000 || h > 20000) return false;
    picture.Width = w;
    picture.Height = h;
    return true;
}

// --run FILE [--csv OUT] [--timeout SECONDS] [--png OUT] [--size WxH] [--screen N]
// [--against CSV [--tolerance X]] [--reference CSV]; false on a
// malformed command line.
bool ParseRun(int argc, char** argv, kvaril::TBatchOptions& options, TPictureOptions& picture) {
    if (argc < 3) return false;
    options.Document = argv[2];
    bool pictureOptions = false, tolerance = false;
    for (int i = 3; i < argc; i += 2) {
        if (i + 1 >= argc) return false;
        const char* value = argv[i + 1];
        if (std::strcmp(argv[i], "--csv") == 0) {
            options.CsvPath = value;
        } else if (std::strcmp(argv[i], "--timeout") == 0) {
            options.TimeoutSeconds = kvaril::StrToFloatDefault(value, -1);
            if (options.TimeoutSeconds <= 0) return false;
        } else if (std::strcmp(argv[i], "--png") == 0) {
            picture.Path = value;
        } else if (std::strcmp(argv[i], "--size") == 0) {
            if (!ParseSize(value, picture)) return false;
            pictureOptions = true;
        } else if (std::strcmp(argv[i], "--against") == 0) {
            options.AgainstPath = value;
        } else if (std::strcmp(argv[i], "--tolerance") == 0) {
            if (!kvaril::ParseTolerance(value, options.Tolerance)) return false;
            tolerance = true;
        } else if (std::strcmp(argv[i], "--reference") == 0) {
            picture.Reference = value;
            pictureOptions = true;
        } else if (std::strcmp(argv[i], "--screen") == 0) {
            picture.Screen = std::atoi(value);
            if (picture.Screen < 1) return false;
            pictureOptions = true;
        } else {
            return false;
        }
    }
    if (tolerance && options.AgainstPath.empty()) return false;
    return !pictureOptions || !picture.Path.empty();
}

// Draws the screen after the run; text needs fonts, so a GUI application without a display.
int ExportPicture(const TPictureOptions& picture, kvaril::TSignals& signals, kvaril::TOsc& osc,
                  std::ostream& err) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "kvaril";
    char* argv[] = {name, nullptr};
    std::optional<kvaril::TStoredRun> reference;
    if (!picture.Reference.empty()) {
        kvaril::TSampleTable table;
        try {
            table = kvaril::ReadSamplesCsv(picture.Reference);  // its errors name the file
        } catch (const kvaril::ECsvError& e) {
            err << e.what() << "\n";
            return 1;
        }
        try {
            reference = kvaril::RunFromTable(signals, table);
        } catch (const kvaril::ECsvError& e) {
            err << "Файл " << picture.Reference << ": " << e.what() << "\n";
            return 1;
        }
    }
    QGuiApplication app(argc, argv);
    const QString error = kvaril::ExportScreen(
        osc, picture.Screen - 1, signals, QSize(picture.Width, picture.Height),
        QString::fromLocal8Bit(picture.Path.c_str()), reference ? &*reference : nullptr);
    if (!error.isEmpty()) {
        err << error.toStdString() << "\n";
        return 1;
    }
    return 0;
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
    try {
        if (argc == 3 && std::strcmp(argv[1], "--info") == 0)
            return kvaril::PrintDocumentInfo(argv[2], std::cout, std::cerr);
        if (argc >= 2 && std::strcmp(argv[1], "--run") == 0) {
            kvaril::TBatchOptions options;
            TPictureOptions picture;
            if (!ParseRun(argc, argv, options, picture)) {
                PrintUsage(std::cerr);
                return 2;
            }
            if (!picture.Path.empty())
                options.AfterRun = [&picture](kvaril::TSignals& s, kvaril::TOsc& o,
                                              std::ostream& err) {
                    return ExportPicture(picture, s, o, err);
                };
            options.BinDir = kvaril::ResolveBinDir(kvaril::ProgramDir());
            return kvaril::RunBatch(options, std::cout, std::cerr);
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
