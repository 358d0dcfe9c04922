// Building and running in the background as the user meets it: the window keeps painting but
// takes no input, a long run offers a box to stop it, and what goes wrong on the worker is
// reported like any other fault of a command.

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "MainWindowFixture.h"
#include "base/Cp1251.h"
#include "scope/FrmOsc.h"
#include "ui/ModelCommands.h"

namespace kvaril {
namespace {

class BackgroundWork : public testing::MainWindowFixture {
  protected:
    // Signal A with `make` as its Make body, shown in the editor.
    void Model(const std::string& make) {
        AddSignal("A");
        Signals().Items(0).Lines()[20] = make;
        W().LoadEditor();
        Idle();
    }
    QProgressDialog* ShownBox() {
        auto* box = W().findChild<QProgressDialog*>();
        return box && box->isVisible() ? box : nullptr;
    }
    // The window is idle again: no box, no busy cursor, input taken.
    void ExpectIdleAgain() {
        EXPECT_FALSE(W().Busy());
        EXPECT_EQ(W().findChild<QProgressDialog*>(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        const QString before = Editor()->text();
        QTest::keyClicks(Editor(), "x");
        EXPECT_NE(Editor()->text(), before) << "typing works again";
    }
};

TEST_F(BackgroundWork, ARunThatNeverEndsGetsABoxAfterTheDelayWhoseButtonStopsIt) {
    Model("  while t >= 0 do Value := Value + 1;");
    W().activateWindow();
    const QString text = Editor()->text();

    QElapsedTimer clock;
    qint64 shownAfter = -1;
    bool busy = false;
    QString title, button, textMeanwhile;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QProgressDialog* box = ShownBox();
        if (!box) return;
        if (shownAfter < 0) {
            shownAfter = clock.elapsed();
            busy = W().Busy();
            title = box->windowTitle();
            modality = box->windowModality();
        }
        // The label follows the status: once the model itself runs, it is stopped.
        if (box->labelText() != "Выполняется моделирование...") return;
        watch.stop();
        QTest::keyClicks(Editor(), "typed");
        textMeanwhile = Editor()->text();
        auto* cancel = box->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        button = cancel->text();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watch.start(20);
    clock.start();
    Action("actModelRun")->trigger();
    watch.stop();

    ASSERT_GE(shownAfter, 0) << "no box";
    // A lower bound only: the box may come later on a busy machine, never sooner.
    EXPECT_GE(shownAfter, 450) << "a quick build shows no box";
    EXPECT_TRUE(busy);
    EXPECT_EQ(title, "Kvaril");
    EXPECT_EQ(modality, Qt::WindowModal);
    EXPECT_EQ(button, "Прервать");
    EXPECT_EQ(textMeanwhile, text) << "the window behind the box takes no keys";
    EXPECT_EQ(LabelText("pnlMessage"), "Моделирование прервано");
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    EXPECT_TRUE(dialogs_.DebugBoxes.isEmpty()) << dialogs_.DebugBoxes.join("\n").toStdString();
    EXPECT_EQ(W().Oscilloscope(), nullptr) << "a stopped run has no results to show";
    EXPECT_TRUE(workbench_.Runs.Runs().empty());
    ExpectIdleAgain();
}

TEST_F(BackgroundWork, KeysAndClicksDuringABuildAreNotApplied) {
    Model("  Value := ;");  // does not build
    W().activateWindow();
    Editor()->setFocus();
    const QString text = Editor()->text();
    const int line = Editor()->CaretLine();

    bool busy = false;
    QString textMeanwhile;
    int lineMeanwhile = 0;
    QTimer::singleShot(0, [&] {
        busy = W().Busy();
        QTest::keyClicks(Editor(), "xyz");
        QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);  // the search panel
        QTest::keyClick(Editor(), Qt::Key_F9);                      // a run on top of the build
        QTest::mouseClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
        textMeanwhile = Editor()->text();
        lineMeanwhile = Editor()->CaretLine();
    });
    Action("actModelCompile")->trigger();

    EXPECT_TRUE(busy) << "the input came while the build ran";
    EXPECT_EQ(textMeanwhile, text);
    EXPECT_EQ(lineMeanwhile, line) << "the click did not move the caret";
    EXPECT_FALSE(SearchPanel()->isVisible()) << "Ctrl+F did nothing";
    EXPECT_EQ(dialogs_.Errors.size(), 1) << "the build's own message and no run";
    EXPECT_EQ(Editor()->text(), text) << "nor was it typed afterwards";
    ExpectIdleAgain();
}

TEST_F(BackgroundWork, WhatTheWorkerThrowsReachesTheWindowsGuard) {
    Model("  Value := t;");
    std::filesystem::remove_all(dir_ / "Bin");  // the model folder's lock cannot be opened
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.DebugBoxes.size(), 1);
    const QString box = dialogs_.DebugBoxes[0];
    EXPECT_TRUE(box.startsWith("SenderClass: QAction\nExceptionClass: EFileError\n"))
        << box.toStdString();
    EXPECT_TRUE(box.contains(".kvaril.lock")) << box.toStdString();
    EXPECT_TRUE(dialogs_.Errors.isEmpty());
    ExpectIdleAgain();
}

TEST_F(BackgroundWork, ACompilerMessageFarDownInAnotherSignalIsShownAtItsLine) {
    AddSignal("A");
    AddSignal("B");
    Signals().Items(0).Lines()[20] = "  Value := t;";
    std::vector<std::string>& lines = Signals().Items(1).Lines();
    lines.insert(lines.begin(), 80, "// filler");
    const int line = 80 + 21;
    lines[line - 1] = "  Value := Freq * t;";
    W().resize(W().minimumSize());
    Tabs()->setCurrentIndex(0);
    Idle();
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    EXPECT_EQ(Editor()->CaretLine(), line);
    EXPECT_EQ(Editor()->CaretColumn(), 12);
    EXPECT_EQ(Editor()->ErrorMarkLine(), line);
    const int first = Editor()->firstVisibleLine();
    EXPECT_GE(line - 1, first) << "scrolled into view";
    EXPECT_LT(line - 1, first + Editor()->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
}

TEST_F(BackgroundWork, WhatTheModelPrintedShowsUnderTheEditorAndGoesWithTheNextQuietRun) {
    // The document's text, as the editor stores it, is Windows-1251; so is what it prints.
    Model(Utf8ToCp1251("  Value := t; if t = 0 then Writeln('Фильтр готов');"));
    auto* pane = Find<QWidget>("pnlModelOutput");
    EXPECT_FALSE(pane->isVisible()) << "nothing printed yet";
    // Each run opens the oscilloscope modally; it is closed once it shows.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* osc = W().Oscilloscope(); osc && osc->isVisible()) osc->close();
    });
    closer.start(20);
    ASSERT_TRUE(W().ModelCommands().Run());
    Idle();
    EXPECT_TRUE(pane->isVisible());
    EXPECT_TRUE(Find<QPlainTextEdit>("edModelOutput")->toPlainText().contains("Фильтр готов"));

    Signals().Items(0).Lines()[20] = "  Value := t;";
    W().LoadEditor();
    ASSERT_TRUE(W().ModelCommands().Run());
    Idle();
    EXPECT_FALSE(pane->isVisible()) << "the next run printed nothing";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

using LongRunProgress = testing::MainWindowFixture;

TEST_F(LongRunProgress, ALongRunShowsItsProgressAndStopLeavesNoResults) {
    AddSignal("A");
    Signals().Items(0).Lines()[20] =
        "  Value := 0; for K := 1 to 200 do Value := Value + Sin(K * t);";
    Signals().Items(0).Lines().insert(Signals().Items(0).Lines().begin(), {"var K: Integer;", ""});
    Signals().SetQuantTime(1e-6);
    Signals().SetTotalTime(2);  // 2 000 000 quanta
    W().LoadEditor();
    Idle();
    W().ModelCommands().SetLongRuns(true);
    QString label;
    int maximum = 0, value = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = W().findChild<QProgressDialog*>();
        if (!box || !box->isVisible() || !box->labelText().startsWith("Моделирование:")) return;
        if (box->value() <= 0) return;
        watch.stop();
        label = box->labelText();
        maximum = box->maximum();
        value = box->value();
        QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
    });
    watch.start(20);
    Action("actModelRun")->trigger();
    watch.stop();
    W().ModelCommands().SetLongRuns(false);
    EXPECT_TRUE(label.contains(" из 2000000 квантов), прошло ")) << label.toStdString();
    EXPECT_EQ(maximum, 1000);
    EXPECT_GT(value, 0);
    EXPECT_LT(value, 1000);
    EXPECT_EQ(LabelText("pnlMessage"), "Моделирование прервано");
    EXPECT_EQ(W().Oscilloscope(), nullptr) << "a stopped run has no results to show";
    EXPECT_TRUE(workbench_.Runs.Runs().empty());
}

}  // namespace
}  // namespace kvaril
