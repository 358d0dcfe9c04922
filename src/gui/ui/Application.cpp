#include "ui/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

#include "Errors.h"
#include "model/ModelDirectory.h"
#include "ui/Dialogs.h"
#include "ui/DocumentCommands.h"
#include "ui/FrmMain.h"
#include "ui/Icons.h"
#include "ui/QtText.h"
#include "ui/Workbench.h"

namespace kvaril {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Kvaril");
    setOrganizationName("Dornek");
    setWindowIcon(ApplicationIcon());
    // Numbers are written and read with "." everywhere, whatever the user's locale says.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    // Qt's own dialogs (file, font) in Russian.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Russian), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (dialogs_)
            dialogs_->Debug(nullptr, UnexpectedErrorText(receiver->metaObject()->className(), e));
        return false;
    }
}

int RunWorkbench(TApplication& app, const QString& document) {
    TWorkbench workbench;
    TDialogs dialogs;
    app.SetDialogs(&dialogs);
    TProgramPaths paths;
    paths.ProgramDir = FromUtf8(ProgramDir());
    paths.ProjectsDir = paths.ProgramDir + "Projects/";
    paths.BinDir = FromUtf8(ResolveBinDir(ProgramDir()));
    int status;
    {
        TFormMain window(workbench, dialogs, paths);
        window.show();
        if (!document.isEmpty()) window.DocumentCommands().OpenPath(document);
        status = app.exec();
    }
    app.SetDialogs(nullptr);
    return status;
}

}  // namespace kvaril
