#pragma once
// A main window over its own workbench, model directory and scripted dialogs. The window's
// controls are found by their names, as a user finds them by their captions.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <filesystem>

#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "common/Workbench.h"
#include "ui/DocumentCommands.h"
#include "ui/EditCommands.h"
#include "ui/FrmMain.h"
#include "ui/SignalEditor.h"
#include "ui/StartPage.h"

namespace kvaril::testing {

class MainWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        dir_ = testing::TestFolder("kvaril-gui");
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "Bin");
        fs::create_directories(dir_ / "Projects");
        for (const char* file : {"dcc32", "kvaril-modelhost", "kvml.dpr", "uSignalsData.pas"})
            fs::copy_file(fs::path(KVARIL_TEST_BIN_DIR) / file, dir_ / "Bin" / file);
        TProgramPaths paths;
        paths.ProgramDir = QString::fromStdString(dir_.string() + "/");
        paths.ProjectsDir = paths.ProgramDir + "Projects/";
        paths.BinDir = paths.ProgramDir + "Bin/";
        window_ = std::make_unique<TFormMain>(workbench_, dialogs_, paths);
        window_->show();
        Idle();
    }
    void TearDown() override {
        window_.reset();
        std::filesystem::remove_all(dir_);
    }

    // Lets the event loop run until it would block, so the idle work happens.
    void Idle() {
        QEventLoop loop;
        QTimer::singleShot(30, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QString Path(const std::string& name) const {
        return QString::fromStdString((dir_ / name).string());
    }

    TFormMain& W() { return *window_; }
    TSignals& Signals() { return workbench_.Signals; }

    // The window's child of that name; a missing one fails the test.
    template <typename T>
    T* Find(const char* name) {
        T* child = W().findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    TSignalEditor* Editor() { return Find<TSignalEditor>("edSignal"); }
    QTabBar* Tabs() { return Find<QTabBar>("tabSignals"); }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    QString LabelText(const char* name) { return Find<QLabel>(name)->text(); }
    // The title as the window shows it: "[*]" becomes "*" while there are unsaved changes.
    QString ShownTitle() { return W().windowHandle() ? W().windowHandle()->title() : QString(); }
    QWidget* SearchPanel() { return Find<QWidget>("pnlSearch"); }
    QLineEdit* SearchField() { return Find<QLineEdit>("edSearch"); }
    QLineEdit* ReplaceField() { return Find<QLineEdit>("edReplace"); }
    TStartPage* StartPage() { return Find<TStartPage>("pnlStart"); }

    QString DocumentName() { return W().DocumentCommands().DocumentName(); }
    QFont EditorFont() { return W().EditCommands().EditorFont(); }

    // Adds a signal through the Add command with the prepared name.
    void AddSignal(const QString& name, bool withDestructor = false) {
        dialogs_.SignalNames.push_back(TSignalNameAnswer{name, withDestructor});
        Action("actSignalAdd")->trigger();
    }

    std::filesystem::path dir_;
    TWorkbench workbench_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<TFormMain> window_;
};

}  // namespace kvaril::testing
