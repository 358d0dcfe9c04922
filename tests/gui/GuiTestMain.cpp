// Widget tests run with a real QApplication, offscreen unless a platform is chosen.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>

#include "ui/Application.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", "/tmp", 0);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    kvaril::UseRussianLocale(app);  // as the program does
    // CTest runs the tests in parallel processes; those that store the editor font or a
    // window's place must not read each other's settings, nor those of an earlier run.
    QDir settings(QDir::tempPath() + "/kvaril-gui-settings-" + QString::number(::getpid()));
    settings.removeRecursively();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    settings.removeRecursively();
    return status;
}
