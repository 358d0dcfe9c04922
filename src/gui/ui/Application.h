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

// Creates the workbench and its main window, opens `document` if given, and runs the loop.
int RunWorkbench(TApplication& app, const QString& document);

}  // namespace kvaril
