#pragma once
// Where the program lives and where a save dialog may start.

#include <QString>

namespace kvaril {

struct TProgramPaths {
    QString ProgramDir;   // ends with "/"
    QString ProjectsDir;  // ends with "/"
    QString BinDir;       // ends with "/"
};

// `preferred` when the user may save there; otherwise the user's documents folder. An installed
// copy's own folders never qualify, not even for root, who could write them.
QString SaveFolder(const TProgramPaths& paths, const QString& preferred);

}  // namespace kvaril
