// Kvaril's entry point: the workbench window, or without a window the document account
// (--info) and the batch run (--run).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "document/DocumentInfo.h"
#include "document/uSignal.h"
#include "model/BatchRun.h"
#include "model/ModelDirectory.h"
#include "model/SampleCsv.h"
#include "model/uCommon.h"
#include "osc/PictureExport.h"
#include "osc/uBeam.h"
#include "ui/Application.h"

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
           "               [--view grid,legend,shared]\n"
           "               [--against ЭТАЛОН.csv [--tolerance X]] [--reference ЭТАЛОН.csv]\n"
           "                                         собрать и выполнить модель без окна;\n"
           "                                         --csv и --wav пишут отсчеты сигналов\n"
           "                                         --signals (по умолчанию всех) от T0 до T1 с\n"
           "                                         (по умолчанию за весь прогон);\n"
           "                                         --png рисует экран N (с 1) осциллографа\n"
           "                                         или все экраны друг под другом (all);\n"
           "                                         формат - по расширению файла;\n"
           "                                         --view добавляет сетку, подписи лучей и\n"
           "                                         общий масштаб групп, как в меню Вид;\n"
           "                                         --against сверяет отсчеты с эталоном\n"
           "               [--stats СТАТИСТИКА.csv] [--spectrum СПЕКТР.csv]\n"
           "               [--window rect|hann|hamming|blackman-harris]\n"
           "               [--signals A,B] [--from T0] [--to T1]\n"
           "                                         статистика сигналов и их амплитудный\n"
           "                                         спектр (окно Ханна по умолчанию) на\n"
           "                                         отрезке времени T0..T1 (в секундах)\n"
           "  kvaril --help                          эта справка\n";
}

struct TPictureOptions {
    std::string Path;
    std::string Reference;  // a CSV drawn behind the beams
    int Width = 800, Height = 400;
    int Screen = 1;  // from 1; 0: every screen, stacked
    // The oscilloscope's View menu choices; off, the picture is the classic one.
    bool Grid = false, Legend = false, SharedGroupScale = false;
};

// "grid,legend,shared", any of them in any order.
bool ParseView(const std::string& text, TPictureOptions& picture) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string choice = text.substr(start, comma - start);
        if (choice == "grid")
            picture.Grid = true;
        else if (choice == "legend")
            picture.Legend = true;
        else if (choice == "shared")
            picture.SharedGroupScale = true;
        else
            return false;
        start = comma + 1;
    }
    return true;
}

bool ParseSize(const char* text, TPictureOptions& picture) {
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text, "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 1 || h < 1 || w > kvaril::kMaxPictureSide || h > kvaril::kMaxPictureSide) return false;
    picture.Width = w;
    picture.Height = h;
    return true;
}

// "N" (from 1) or "all" (0).
bool ParseScreen(const char* value, TPictureOptions& picture) {
    char* end = nullptr;
    const long screen = std::strtol(value, &end, 10);
    if (std::strcmp(value, "all") == 0)
        picture.Screen = 0;
    else if (end != value && *end == 0 && screen >= 1 && screen <= 1000000)
        picture.Screen = static_cast<int>(screen);
    else
        return false;
    return true;
}

// --png OUT, --size WxH, --screen N, --view CHOICES or --reference CSV; NotMine for any other
// option, Bad (with `error` set) for a value it cannot take.
kvaril::TOptionParse ParsePictureOption(const std::string& option, const char* value,
                                        TPictureOptions& picture, std::string& error) {
    using kvaril::TOptionParse;
    if (option == "--png") {
        picture.Path = value;
        if (kvaril::PictureFormatOf(QString::fromLocal8Bit(value)) ==
            kvaril::TPictureFormat::Unknown) {
            error = std::string("Неизвестный формат рисунка --png: ") + value +
                    " (нужно расширение .png, .svg или .pdf)";
            return TOptionParse::Bad;
        }
    } else if (option == "--size") {
        if (!ParseSize(value, picture)) {
            error = std::string("Неверный размер --size: ") + value;
            return TOptionParse::Bad;
        }
    } else if (option == "--reference") {
        picture.Reference = value;
    } else if (option == "--view") {
        if (!ParseView(value, picture)) {
            error = std::string("Неверный вид --view: ") + value +
                    " (через запятую: grid, legend, shared)";
            return TOptionParse::Bad;
        }
    } else if (option == "--screen") {
        if (!ParseScreen(value, picture)) {
            error = std::string("Неверный номер --screen: ") + value + " (номер с 1 или all)";
            return TOptionParse::Bad;
        }
    } else {
        return TOptionParse::NotMine;
    }
    return TOptionParse::Ok;
}

// --run FILE [--csv OUT] [--wav OUT] [--stats OUT] [--spectrum OUT] [--window W]
// [--signals A,B] [--from T0] [--to T1] [--timeout SECONDS] [--png OUT] [--size WxH]
// [--screen N] [--view CHOICES] [--against CSV [--tolerance X]] [--reference CSV]; the reason
// when the command line is malformed.
std::string ParseRun(int argc, char** argv, kvaril::TBatchOptions& options,
                     TPictureOptions& picture) {
    using kvaril::TOptionParse;
    if (argc < 3) return "Не задан документ";
    options.Document = argv[2];
    bool pictureOptions = false, tolerance = false;
    for (int i = 3; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return "Нет значения у параметра " + option;
        const char* value = argv[i + 1];
        std::string error;
        const auto selection =
            kvaril::ParseSelectionOption(option, value, options.Selection, error);
        if (selection == TOptionParse::Bad) return error;
        if (selection == TOptionParse::Ok) continue;
        const auto pictureOption = ParsePictureOption(option, value, picture, error);
        if (pictureOption == TOptionParse::Bad) return error;
        if (pictureOption == TOptionParse::Ok) {
            pictureOptions = pictureOptions || option != "--png";
            continue;
        }
        if (option == "--csv") {
            options.CsvPath = value;
        } else if (option == "--wav") {
            options.WavPath = value;
        } else if (option == "--timeout") {
            options.TimeoutSeconds = kvaril::StrToFloatDefault(value, -1);
            if (options.TimeoutSeconds <= 0)
                return std::string("Неверное время --timeout: ") + value;
        } else if (option == "--against") {
            options.AgainstPath = value;
        } else if (option == "--tolerance") {
            if (!kvaril::ParseTolerance(value, options.Tolerance))
                return std::string("Неверный допуск --tolerance: ") + value;
            tolerance = true;
        } else if (kvaril::ParseAnalysisOption(option, value, options.Analysis) !=
                   TOptionParse::Ok) {
            return "Неизвестный параметр " + option;
        }
    }
    if (tolerance && options.AgainstPath.empty()) return "--tolerance нужен только с --against";
    if (pictureOptions && picture.Path.empty())
        return "--size, --screen, --view и --reference нужны только с --png";
    if (!picture.Path.empty() && (picture.Width < kvaril::kMinPictureSize.width() ||
                                  picture.Height < kvaril::kMinPictureSize.height()))
        return "Неверный размер --size: " + std::to_string(picture.Width) + "x" +
               std::to_string(picture.Height) + " (не меньше " +
               std::to_string(kvaril::kMinPictureSize.width()) + "x" +
               std::to_string(kvaril::kMinPictureSize.height()) + ")";
    return {};
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
    std::vector<int> screens;
    if (picture.Screen == 0)
        for (int i = 0; i < osc.ViewCount(); ++i) screens.push_back(i);
    else
        screens.push_back(picture.Screen - 1);
    kvaril::TLayoutOptions options;
    options.SharedGroupScale = picture.SharedGroupScale;
    options.Legend = picture.Legend;
    if (picture.Legend) options.Names = kvaril::SignalNamesUtf8(signals);
    const QString error =
        kvaril::ExportScreens(osc, screens, signals, QSize(picture.Width, picture.Height),
                              QString::fromLocal8Bit(picture.Path.c_str()),
                              reference ? &*reference : nullptr, options, picture.Grid);
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
            if (const std::string error = ParseRun(argc, argv, options, picture); !error.empty()) {
                std::cerr << "Kvaril: " << error << "\n\n";
                PrintUsage(std::cerr);
                return 1;
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
