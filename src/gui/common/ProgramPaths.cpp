#include "common/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kvaril {

QString SaveFolder(const TProgramPaths& paths, const QString& preferred) {
    const bool installed = paths.BinDir != paths.ProgramDir + "Bin/";
    const QString program = QDir::cleanPath(paths.ProgramDir), wanted = QDir::cleanPath(preferred);
    const bool ours = installed && !paths.ProgramDir.isEmpty() &&
                      (wanted == program || wanted.startsWith(program + "/"));
    const QFileInfo folder(preferred);
    if (!preferred.isEmpty() && folder.isDir() && folder.isWritable() && !ours) return preferred;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? preferred : documents + "/";
}

}  // namespace kvaril
