#pragma once
// The application object: the program's title and icon, and the last line of defence for an
// exception that escapes an event handler.

#include <QApplication>

namespace kvaril {

class TDialogs;

class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    void SetDialogs(TDialogs* dialogs) { dialogs_ = dialogs; }

  private:
    TDialogs* dialogs_ = nullptr;
};

// The program's language for Qt's own texts and dialogs, whatever the session's locale: the
// Russian translations and locale (file types, sizes). Numbers stay with "." (LC_NUMERIC "C").
void UseRussianLocale(QCoreApplication& app);

// Creates the workbench and its main window, opens `document` if given, and runs the loop.
int RunWorkbench(TApplication& app, const QString& document);

}  // namespace kvaril
