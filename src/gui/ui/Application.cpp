#include "ui/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

#include "base/Errors.h"
#include "common/Dialogs.h"
#include "common/Icons.h"
#include "common/QtText.h"
#include "common/Workbench.h"
#include "model/ModelBox.h"
#include "model/ModelDirectory.h"
#include "model/ModelHost.h"
#include "ui/DocumentCommands.h"
#include "ui/FrmMain.h"

namespace kvaril {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Kvaril");
    setOrganizationName("Dornek");
    setWindowIcon(ApplicationIcon());
    UseRussianLocale(*this);
}

void UseRussianLocale(QCoreApplication& app) {
    // Numbers are written and read with "." everywhere, whatever the user's locale says: the
    // core formats them itself, and no widget is left to the locale's numbers (the one spin box
    // with a fraction is set to C where it is made).
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own dialogs (file, font) in Russian: their texts through the translator, the rest
    // (file types) through the Russian locale, so that no English shows among the Russian texts
    // under a C or English session.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* translator = new QTranslator(&app);
    if (translator->load(russian, "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
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
    // The kept hosts and what the models wrote go with the workbench.
    StopModelHosts();
    RemoveKeptScratchFolders();
    return status;
}

}  // namespace kvaril
