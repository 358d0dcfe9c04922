// The main window as a user walks through it.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <fstream>

#include <QTimer>
#include "MainWindowFixture.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "common/DlgModelParams.h"
#include "common/DlgSignalReorder.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "scope/FrmOsc.h"
#include "ui/ModelCommands.h"

namespace kvaril {
namespace {

using MainWindow = testing::MainWindowFixture;

QStringList TabNames(QTabBar* bar) {
    QStringList names;
    for (int i = 0; i < bar->count(); ++i) names << bar->tabText(i);
    return names;
}

TEST_F(MainWindow, StartsWithAnEmptyDocument) {
    EXPECT_EQ(ShownTitle(), "Kvaril - noname");
    EXPECT_FALSE(Tabs()->isVisible());
    EXPECT_FALSE(SearchPanel()->isVisible());
    EXPECT_EQ(LabelText("pnlCaret"), "");
    EXPECT_EQ(LabelText("pnlInsert"), "");
    EXPECT_EQ(LabelText("pnlMessage"), "");
    for (QAction* a : {Action("actFileNew"), Action("actFileSave"), Action("actFileSaveAs"),
                       Action("actSignalDelete"), Action("actEditUndo"), Action("actEditCut"),
                       Action("actEditPaste"), Action("actSearchPan"), Action("actSearchStart"),
                       Action("actModelParam"), Action("actModelCompile"), Action("actModelRun")})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QAction* a : {Action("actFileLoad"), Action("actFileExit"), Action("actSignalAdd"),
                       Action("actSignalLoad"), Action("actViewFont"), Action("actHelpContents"),
                       Action("actHelpAbout")})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(Action("actModelRun")->shortcut(), QKeySequence("F9"));
    EXPECT_EQ(Action("actModelRun")->toolTip(),
              "Компиляция, старт моделирования и отображение результатов");
    // Every tool button has a picture.
    for (QAction* a : Find<QToolBar>("SpeedBar")->actions())
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        }
}

TEST_F(MainWindow, AddPlacesTheSignalBehindTheSelectedTab) {
    AddSignal("A");
    Idle();
    ASSERT_EQ(Signals().Count(), 1);
    EXPECT_TRUE(Tabs()->isVisible());
    EXPECT_EQ(Tabs()->currentIndex(), 0);
    EXPECT_TRUE(Action("actFileSave")->isEnabled()) << "a new signal modifies the document";
    EXPECT_FALSE(Action("actSignalReorder")->isEnabled());
    EXPECT_EQ(Editor()->lines(), 23) << "22 lines and the empty one after the last break";
    EXPECT_EQ(LabelText("pnlCaret"), "L:21  C:12") << "in \"Value := ;\" of Make";

    AddSignal("B");
    AddSignal("C");
    EXPECT_EQ(TabNames(Tabs()), QStringList({"A", "B", "C"}));
    Tabs()->setCurrentIndex(1);
    AddSignal("New");
    EXPECT_EQ(TabNames(Tabs()), QStringList({"A", "B", "New", "C"}));
    EXPECT_EQ(Tabs()->currentIndex(), 2);
    Idle();
    EXPECT_TRUE(Action("actSignalReorder")->isEnabled());
}

TEST_F(MainWindow, TypingModifiesTheDocumentAndMovesTheCaret) {
    AddSignal("A");
    Signals().Modified = false;
    Idle();
    EXPECT_FALSE(Action("actFileSave")->isEnabled());
    Editor()->setFocus();
    QTest::keyClicks(Editor(), "x");
    Idle();
    EXPECT_TRUE(Action("actFileSave")->isEnabled());
    EXPECT_EQ(LabelText("pnlCaret"), "L:21  C:13");
    EXPECT_EQ(Editor()->text(20), "  Value := x;\n");
    EXPECT_EQ(LabelText("pnlInsert"), "Ins");
    QTest::keyClick(Editor(), Qt::Key_Insert);
    Idle();
    EXPECT_EQ(LabelText("pnlInsert"), "Ovr");
}

TEST_F(MainWindow, SwitchingSignalsKeepsTextCaretAndBookmarks) {
    AddSignal("A");
    AddSignal("B");
    Tabs()->setCurrentIndex(0);
    Editor()->SetCaret(3, 4);
    Editor()->SetBookmark(2, 5, 3);
    Editor()->insertAt("// edited\r\n", 0, 0);
    Tabs()->setCurrentIndex(1);
    EXPECT_EQ(Signals().Items(0).Lines()[0], "// edited");
    EXPECT_FALSE(Editor()->HasBookmark(2));
    Tabs()->setCurrentIndex(0);
    EXPECT_TRUE(Editor()->HasBookmark(2));
    EXPECT_EQ(Editor()->BookmarkLine(2), 6) << "the line moved down with the insertion";
    EXPECT_FALSE(Editor()->isUndoAvailable()) << "every signal starts a new undo history";
    EXPECT_EQ(Editor()->CaretLine(), 4);
}

TEST_F(MainWindow, SaveAsWritesTheSigFileAndOpenReadsItBack) {
    AddSignal("Sine");
    Editor()->insertAt("{ x }", 0, 0);
    dialogs_.Files.push_back(Path("Test.txt"));
    W().DocumentCommands().SaveAs();
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Test.sig"));
    EXPECT_EQ(ShownTitle(), "Kvaril - test");
    EXPECT_EQ(DocumentName(), Path("Test.sig"));
    EXPECT_FALSE(Signals().Modified);
    EXPECT_EQ(LabelText("pnlMessage"), "Ok");

    dialogs_.Files.push_back(Path("Test.sig"));
    W().DocumentCommands().Open();
    ASSERT_EQ(Signals().Count(), 1);
    EXPECT_EQ(Signals().Items(0).Lines()[0], "{ x }type");
    EXPECT_EQ(TabNames(Tabs()), QStringList({"Sine"}));
    EXPECT_EQ(Editor()->text(0).trimmed(), "{ x }type");
}

TEST_F(MainWindow, SaveOnANewDocumentAsksForANameAndCancelWritesNothing) {
    AddSignal("A");
    dialogs_.Files.push_back(std::nullopt);
    W().DocumentCommands().Save();
    EXPECT_EQ(DocumentName(), "noname");
    EXPECT_TRUE(Signals().Modified);
    ASSERT_EQ(dialogs_.FileDialogs.size(), 1);
    EXPECT_EQ(dialogs_.FileDialogs[0].Title, "Сохранение файла сигналов");
}

TEST_F(MainWindow, OpenOfAMissingFileReportsItAndLeavesAnEmptyDocument) {
    dialogs_.Files.push_back(Path("absent.txt"));
    W().DocumentCommands().Open();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(dialogs_.Errors[0], "Ошибка загрузки файла|Файл: " + Path("absent.sig") +
                                      "\nНе удается открыть файл " + Path("absent.sig") +
                                      ": нет такого файла или папки");
    EXPECT_EQ(DocumentName(), "noname");
    EXPECT_EQ(Signals().Count(), 0);
}

TEST_F(MainWindow, RenameRewritesTheVariableEverywhereInTheText) {
    AddSignal("A");
    Signals().Items(0).Lines().push_back("{ Signal_AB }");
    W().LoadEditor();
    dialogs_.Names.push_back("AB");
    Idle();
    Action("actSignalRename")->trigger();
    const auto& lines = Signals().Items(0).Lines();
    EXPECT_EQ(Signals().Items(0).Name(), "AB");
    EXPECT_EQ(lines[1], "  TSignal_AB = class");
    EXPECT_EQ(lines.back(), "{ Signal_ABB }");
    EXPECT_EQ(TabNames(Tabs()), QStringList({"AB"}));

    Signals().Modified = false;
    dialogs_.Names.push_back("AB");
    Action("actSignalRename")->trigger();
    EXPECT_FALSE(Signals().Modified) << "renaming to the same name changes nothing";
}

TEST_F(MainWindow, DeletingTheLastTabSelectsTheFirst) {
    AddSignal("A");
    AddSignal("B");
    AddSignal("C");
    Tabs()->setCurrentIndex(2);
    dialogs_.Confirms.push_back(TAnswer::No);
    Idle();
    Action("actSignalDelete")->trigger();
    EXPECT_EQ(Signals().Count(), 3) << "only Yes deletes";
    EXPECT_EQ(dialogs_.Asked.back(), "Вы действительно хотите удалить сигнал\nC?");
    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actSignalDelete")->trigger();
    EXPECT_EQ(TabNames(Tabs()), QStringList({"A", "B"}));
    EXPECT_EQ(Tabs()->currentIndex(), 0);
}

TEST_F(MainWindow, LibrarySaveAndLoadUnderANewName) {
    AddSignal("Sine");
    dialogs_.Files.push_back(Path("lib/sine.pas"));
    std::filesystem::create_directories(dir_ / "lib");
    W().DocumentCommands().LibrarySave();
    ASSERT_TRUE(std::filesystem::exists(dir_ / "lib/sine.txt"));
    EXPECT_EQ(W().DocumentCommands().LastLibraryDir(), Path("lib"));

    Signals().Modified = false;
    dialogs_.Files.push_back(Path("lib/sine.txt"));
    dialogs_.Names.push_back("Cosine");
    W().DocumentCommands().LibraryLoad();
    ASSERT_EQ(Signals().Count(), 2);
    const TSignal& loaded = Signals().Items(1);
    EXPECT_EQ(loaded.Name(), "Cosine");
    EXPECT_EQ(loaded.Lines()[1], "  TSignal_Cosine = class");
    EXPECT_EQ(loaded.Lines()[10], "  Signal_Cosine: TSignal_Cosine;");
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    EXPECT_TRUE(Signals().Modified);
    EXPECT_TRUE(Editor()->IsTextModified());
}

TEST_F(MainWindow, ReorderAppliesTheDialogsOrder) {
    AddSignal("A");
    AddSignal("B");
    dialogs_.Reorders.push_back([](TSignals& s) {
        s.Move(0, 1);
        return true;
    });
    Idle();
    Action("actSignalReorder")->trigger();
    EXPECT_EQ(TabNames(Tabs()), QStringList({"A", "B"}).mid(1) + QStringList({"A"}));
    EXPECT_EQ(Tabs()->currentIndex(), 0);
}

TEST_F(MainWindow, NewAsksTheOscilloscopeQuestionWhenOnlyItChanged) {
    AddSignal("A");
    Signals().Modified = false;
    workbench_.Osc.Modified = true;
    dialogs_.Confirms.push_back(TAnswer::No);
    Idle();
    Action("actFileNew")->trigger();
    ASSERT_EQ(dialogs_.Asked.size(), 1);
    EXPECT_EQ(dialogs_.Asked[0],
              "Параметры осциллографа изменены, но не сохранены в файле\nСохранить?");
    EXPECT_EQ(Signals().Count(), 0);

    AddSignal("B");
    workbench_.Osc.Modified = true;
    dialogs_.Confirms.push_back(TAnswer::No);
    Action("actFileNew")->trigger();
    EXPECT_EQ(dialogs_.Asked[1], "Сигналы изменены, но не сохранены в файле\nСохранить?")
        << "with both changed only the signals question";
}

TEST_F(MainWindow, YesWithoutSavingKeepsTheDocument) {
    AddSignal("A");
    dialogs_.Confirms.push_back(TAnswer::Yes);
    dialogs_.Files.push_back(std::nullopt);  // the save-as dialog cancelled
    Idle();
    Action("actFileNew")->trigger();
    EXPECT_EQ(Signals().Count(), 1);
    EXPECT_FALSE(W().DocumentCommands().CloseAllowed());
}

TEST_F(MainWindow, CancelOnCloseKeepsTheWindowAndNoCloses) {
    AddSignal("A");
    dialogs_.Confirms.push_back(TAnswer::Cancel);
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(W().isVisible());
    EXPECT_EQ(Signals().Count(), 1);
    dialogs_.Confirms.push_back(TAnswer::No);
    EXPECT_TRUE(W().close());
}

TEST_F(MainWindow, ACompileErrorInTheSecondSignalShowsItsLine) {
    AddSignal("A");
    AddSignal("B");
    Tabs()->setCurrentIndex(0);
    Signals().Items(0).Lines()[20] = "  Value := t;";
    Signals().Items(1).Lines()[20] = "  Value := Freq * t;";
    W().LoadEditor();
    Idle();
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(dialogs_.Errors[0],
              "Ошибка в программе|Идентификатор 'Freq' не найден\r\n"
              "(Error: Identifier not found 'Freq')");
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    EXPECT_EQ(Editor()->CaretLine(), 21);
    EXPECT_EQ(Editor()->CaretColumn(), 12);
    EXPECT_EQ(LabelText("pnlMessage"),
              "Идентификатор 'Freq' не найден (Error: Identifier not found 'Freq')");

    Signals().Items(1).Lines()[20] = "  Value := 2 * t;";
    W().LoadEditor();
    Action("actModelCompile")->trigger();
    EXPECT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(LabelText("pnlMessage"), "Ok");
}

TEST_F(MainWindow, ARunReportsTheFaultingSignalAndEndsWithOk) {
    AddSignal("A");
    Signals().Items(0).Lines()[20] = "  Value := 1 / t;";
    W().LoadEditor();
    Idle();
    Action("actModelRun")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(dialogs_.Errors[0],
              "Ошибка при выполнении моделирования|Floating point division by zero"
              "\r\n\r\nМесто ошибки: TSignal_A.Make\r\nВремя: t = 0\r\n");
    EXPECT_EQ(LabelText("pnlMessage"), "Ok");

    Signals().Items(0).Lines()[20] = "  Value := t;";
    W().LoadEditor();
    // The oscilloscope opens modally with this window hidden; close it once it shows.
    bool mainHidden = false, oscShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!W().Oscilloscope() || !W().Oscilloscope()->isVisible()) return;
        oscShown = true;
        mainHidden = !W().isVisible();
        W().Oscilloscope()->close();
    });
    closer.start(20);
    Action("actModelRun")->trigger();
    closer.stop();
    EXPECT_TRUE(oscShown);
    EXPECT_TRUE(mainHidden);
    EXPECT_TRUE(W().isVisible()) << "back after the oscilloscope closed";
    EXPECT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(LabelText("pnlMessage"), "Ok");
    EXPECT_EQ(workbench_.Osc.ViewCount(), 1) << "the oscilloscope follows the document";
}

TEST_F(MainWindow, ExceptionsInCommandsBecomeTheDebugBox) {
    W().Guard(Action("actFileNew"), [] { throw EReadError("broken"); });
    ASSERT_EQ(dialogs_.DebugBoxes.size(), 1);
    EXPECT_EQ(dialogs_.DebugBoxes[0],
              "SenderClass: QAction\nExceptionClass: EReadError\nMessage: broken");
}

TEST(DlgModelParams, RoundsAndSnapsTheTimes) {
    struct Case {
        const char *quant, *total;
        double q, t;
    } cases[] = {{"0.00000149", "0.1", 1e-6, 0.1},  {"0.0000021", "0.1", 2e-6, 0.1},
                 {"0", "0.1", 1e-6, 0.1},           {"-1", "0.1", 1e-6, 0.1},
                 {"0.001", "0.0157", 0.001, 0.016}, {"0.001", "0.005", 0.001, 0.01},
                 {"abc", "0.10004", 0.0001, 0.1}};
    for (const Case& c : cases) {
        TSignals signals;
        TDlgModelParams dialog(nullptr, signals);
        EXPECT_EQ(dialog.edQuantTime->text(), "0.0001");
        EXPECT_EQ(dialog.edTotalTime->text(), "0.1");
        dialog.edQuantTime->setText(c.quant);
        dialog.edTotalTime->setText(c.total);
        dialog.btnOk->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(signals.QuantTime(), c.q) << c.quant;
        EXPECT_DOUBLE_EQ(signals.TotalTime(), c.t) << c.total;
    }
    TSignals unchanged;
    TDlgModelParams dialog(nullptr, unchanged);
    dialog.btnOk->click();
    EXPECT_FALSE(unchanged.Modified) << "accepting the defaults changes nothing";
}

struct ReorderFixture {
    ReorderFixture() {
        for (const char* name : {"A", "B", "C"}) {
            auto s = std::make_unique<TSignal>(signals);
            s->SetName(name);
            signals.Insert(std::move(s), -1);
        }
        signals.Modified = false;
    }
    TSignals signals;
};

TEST(DlgSignalReorder, ButtonsMoveTheSelectedItem) {
    ReorderFixture f;
    TDlgSignalReorder dialog(nullptr, f.signals);
    EXPECT_EQ(dialog.lstSignals->currentRow(), 0);
    EXPECT_FALSE(dialog.btnUp->isEnabled());
    EXPECT_TRUE(dialog.btnDown->isEnabled());
    dialog.btnDown->click();
    dialog.btnDown->click();
    EXPECT_EQ(dialog.lstSignals->currentRow(), 2);
    EXPECT_FALSE(dialog.btnDown->isEnabled());
    dialog.btnOk->click();
    EXPECT_EQ(f.signals.Items(0).Name(), "B");
    EXPECT_EQ(f.signals.Items(2).Name(), "A");
}

TEST(DlgSignalReorder, ConfirmingWithoutMovesStillModifies) {
    ReorderFixture f;
    TDlgSignalReorder dialog(nullptr, f.signals);
    dialog.btnOk->click();
    EXPECT_TRUE(f.signals.Modified);
    EXPECT_EQ(f.signals.Items(0).Name(), "A");
}

TEST(DlgSignalReorder, DroppingMovesTheDraggedItem) {
    ReorderFixture f;
    TDlgSignalReorder dialog(nullptr, f.signals);
    dialog.resize(400, 300);
    dialog.show();
    TSignalList* list = dialog.lstSignals;
    // Qt delivers drop events only during a real drag; the drop itself is DropAt.
    auto drop = [list](int dragged, QPoint at) {
        list->BeginDrag(dragged);
        return list->DropAt(at);
    };
    // Below the last entry: to the end.
    const QPoint below(10, list->viewport()->height() - 2);
    ASSERT_EQ(list->itemAt(below), nullptr);
    drop(0, below);
    EXPECT_EQ(list->item(2)->text(), "A");
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_FALSE(dialog.btnDown->isEnabled());
    // On another entry: to its place.
    drop(2, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(list->item(0)->text(), "A");
    // Without a drag of our own nothing moves.
    EXPECT_FALSE(list->DropAt(below));
    EXPECT_EQ(list->item(0)->text(), "A");
    dialog.btnOk->click();
    EXPECT_EQ(f.signals.Items(0).Name(), "A");
    EXPECT_EQ(f.signals.Items(1).Name(), "B");
}

TEST(DlgSignalReorder, SameNamedSignalsKeepTheirIdentity) {
    TSignals signals;
    for (const char* text : {"first", "second"}) {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName("Same");
        s->SetText(text);
        signals.Insert(std::move(s), -1);
    }
    TDlgSignalReorder dialog(nullptr, signals);
    dialog.btnDown->click();
    dialog.btnOk->click();
    EXPECT_EQ(signals.Items(0).Lines()[0], "second");
    EXPECT_EQ(signals.Items(1).Lines()[0], "first");
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// A key press as the keyboard delivers it, scan code included.
void Press(QWidget* w, int key, Qt::KeyboardModifiers mods, quint32 scan = 0,
           const QString& text = {}) {
    QKeyEvent override(QEvent::ShortcutOverride, key, mods, scan, 0, 0, text);
    QApplication::sendEvent(w, &override);
    QKeyEvent press(QEvent::KeyPress, key, mods, scan, 0, 0, text);
    QApplication::sendEvent(w, &press);
}

TEST_F(MainWindow, ClassicKeyBindings) {
    AddSignal("A");
    TSignalEditor* ed = Editor();
    ed->setText("alpha beta\nsecond\nthird\n");
    ed->SetCaret(1, 1);
    Press(ed, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(ed->text(0), "beta\n") << "Ctrl+T deletes the word at the caret";
    Press(ed, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ed->text(0), "second\n") << "Ctrl+Y deletes the line";
    Press(ed, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(ed->text(0), "beta\n") << "Alt+Backspace undoes";
    ed->SetCaret(2, 3);
    Press(ed, Qt::Key_Y, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ed->text(1), "se\n") << "Shift+Ctrl+Y deletes to the end of the line";
    Press(ed, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(ed->text(1), "se\n");
    EXPECT_EQ(ed->text(2), "\n") << "Ctrl+N inserts an empty line";
    EXPECT_EQ(ed->CaretLine(), 2);
    EXPECT_EQ(ed->CaretColumn(), 3) << "and the caret stays";

    // Shift+Ctrl+3 arrives as "#" with the scan code of the digit row's 3.
    ed->SetCaret(3, 1);
    Press(ed, Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier, 12, "#");
    EXPECT_EQ(ed->BookmarkLine(3), 3);
    ed->SetCaret(1, 1);
    Press(ed, Qt::Key_3, Qt::ControlModifier, 12, "3");
    EXPECT_EQ(ed->CaretLine(), 3) << "Ctrl+3 goes to bookmark 3";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

TEST_F(MainWindow, WindowShortcutsWorkWhileTheEditorHasTheFocus) {
    AddSignal("A");
    Idle();
    W().activateWindow();
    Editor()->setFocus();
    QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(SearchPanel()->isVisible()) << "Ctrl+F";
    EXPECT_EQ(Action("actSearchPan")->toolTip(), "Скрытие панели поиска-замены");
    Editor()->setFocus();
    QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(SearchPanel()->isVisible());
    EXPECT_EQ(Action("actSearchPan")->toolTip(), "Отображение панели поиска-замены");
    Editor()->setFocus();
    QTest::keyClick(Editor(), Qt::Key_F9, Qt::ControlModifier);
    EXPECT_EQ(dialogs_.Errors.size(), 1) << "Ctrl+F9 compiles (the skeleton does not build)";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

TEST_F(MainWindow, LongRunsIsAChoiceOfTheSettingsOffByDefault) {
    QAction* longRuns = Action("actModelLong");
    ASSERT_NE(longRuns, nullptr);
    EXPECT_TRUE(longRuns->isCheckable());
    EXPECT_FALSE(longRuns->isChecked()) << "off by default: the classic program";
    EXPECT_EQ(W().ModelCommands().MaxQuanta(), 10000);
    AddSignal("A");
    Signals().Items(0).Lines()[20] = "  Value := t;";
    W().LoadEditor();
    Signals().SetQuantTime(1e-6);
    Signals().SetTotalTime(0.1);  // 100000 quanta
    Idle();
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_TRUE(dialogs_.Errors[0].endsWith("максимальное время моделирования = 0.01"))
        << dialogs_.Errors[0].toStdString();
    longRuns->setChecked(true);
    EXPECT_EQ(W().ModelCommands().MaxQuanta(), 10000000);
    EXPECT_TRUE(ReadSetting(settings::kLongRuns)) << "remembered in the settings";
    Action("actModelCompile")->trigger();
    EXPECT_EQ(dialogs_.Errors.size(), 1) << "the times now build";
    EXPECT_EQ(LabelText("pnlMessage"), "Ok");
    longRuns->setChecked(false);
    EXPECT_FALSE(ReadSetting(settings::kLongRuns));
}

TEST(DlgModelParams, SaysHowToLiftTheClassicLimit) {
    TSignals signals;
    TDlgModelParams classic(nullptr, signals);
    classic.edQuantTime->setText("0.000001");
    classic.edTotalTime->setText("1");
    EXPECT_EQ(classic.lblQuanta->text(),
              "Квантов: 1000000 - действует классический предел 10000 квантов; снять его: "
              "Моделирование → Длинные прогоны (до 10000000 квантов)");
    TDlgModelParams longRuns(nullptr, signals, 10000000);
    longRuns.edQuantTime->setText("0.000001");
    longRuns.edTotalTime->setText("1");
    EXPECT_TRUE(longRuns.lblQuanta->text().startsWith("Квантов: 1000000, частота дискретизации: "))
        << longRuns.lblQuanta->text().toStdString();
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// What an idle window does over a while: how often the loop woke up and went back to sleep,
// and how often the window's title was written. Counted, not timed.
struct TIdleCount {
    int Wakeups = 0;
    int TitleWrites = 0;
};

class TTitleWatch : public QObject {
  public:
    int Writes = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ModifiedChange)
            ++Writes;
        return false;
    }
};

TIdleCount CountIdle(QWidget& window, int milliseconds) {
    TTitleWatch watch;
    window.installEventFilter(&watch);
    int wakeups = 0;
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, [&wakeups] { ++wakeups; });
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(counting);
    window.removeEventFilter(&watch);
    return {wakeups, watch.Writes};
}

TEST_F(MainWindow, AnIdleWindowSleepsAndLeavesItsTitleAlone) {
    // Empty, then with a modified document, then with a saved one: each state's title is
    // written once, when it comes, and never again while nothing happens.
    Idle();
    TIdleCount empty = CountIdle(W(), 1500);
    EXPECT_EQ(empty.TitleWrites, 0);
    EXPECT_LE(empty.Wakeups, 15) << "the loop keeps waking up while nothing happens";

    AddSignal("Sine");
    Editor()->insertAt("{ x }", 0, 0);
    Idle();
    EXPECT_EQ(ShownTitle(), "Kvaril - noname*");
    TIdleCount modified = CountIdle(W(), 1500);
    EXPECT_EQ(modified.TitleWrites, 0);
    EXPECT_LE(modified.Wakeups, 15);

    dialogs_.Files.push_back(Path("Idle.sig"));
    W().DocumentCommands().SaveAs();
    Idle();
    EXPECT_EQ(ShownTitle(), "Kvaril - idle");
    TIdleCount saved = CountIdle(W(), 1500);
    EXPECT_EQ(saved.TitleWrites, 0);
    EXPECT_LE(saved.Wakeups, 15);
}

}  // namespace
}  // namespace kvaril
