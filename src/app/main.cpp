// Kvaril's entry point. For now the command line only; the workbench window comes next.

#include <cstring>
#include <iostream>
#include <string>

#include "document/DocumentInfo.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "Kvaril: моделирование сигналов и алгоритмов их обработки\n"
           "\n"
           "Использование:\n"
           "  kvaril --info ФАЙЛ.sig   показать содержимое документа\n"
           "  kvaril --help            эта справка\n";
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--info") == 0)
            return kvaril::PrintDocumentInfo(argv[2], std::cout, std::cerr);
        if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
            PrintUsage(std::cout);
            return 0;
        }
        PrintUsage(std::cerr);
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "Kvaril: " << e.what() << "\n";
        return 1;
    }
}
