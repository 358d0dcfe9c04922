// Kvaril's entry point: the workbench window, or without a window the document account
// (--info) and the batch run (--run).

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "document/DocumentInfo.h"
#include "model/BatchRun.h"
#include "model/ModelDirectory.h"
#include "model/uCommon.h"
#include "ui/Application.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "Kvaril: моделирование сигналов и алгоритмов их обработки\n"
           "\n"
           "Использование:\n"
           "  kvaril [ФАЙЛ.sig]                      открыть окно (и документ)\n"
           "  kvaril --info ФАЙЛ.sig                 показать содержимое документа\n"
           "  kvaril --run ФАЙЛ.sig [--csv ВЫХОД.csv] [--timeout СЕКУНДЫ]\n"
           "                                         собрать и выполнить модель без окна\n"
           "  kvaril --help                          эта справка\n";
}

// --run FILE [--csv OUT] [--timeout SECONDS]; false on a malformed command line.
bool ParseRun(int argc, char** argv, kvaril::TBatchOptions& options) {
    if (argc < 3) return false;
    options.Document = argv[2];
    for (int i = 3; i < argc; i += 2) {
        if (i + 1 >= argc) return false;
        if (std::strcmp(argv[i], "--csv") == 0) {
            options.CsvPath = argv[i + 1];
        } else if (std::strcmp(argv[i], "--timeout") == 0) {
            options.TimeoutSeconds = kvaril::StrToFloatDefault(argv[i + 1], -1);
            if (options.TimeoutSeconds <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
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
            if (!ParseRun(argc, argv, options)) {
                PrintUsage(std::cerr);
                return 2;
            }
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
