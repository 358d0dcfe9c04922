// What a new user meets in the first hour: the caret after Add, the operator pop-up, the marked
// compiler message, the shortcuts, the window's place, the start page, the parameters' live text
// and the folders the save dialogs start in.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "MainWindowFixture.h"
#include "common/DlgModelParams.h"
#include "common/WindowPlacement.h"
#include "ui/EditCommands.h"
#include "ui/FrmOperators.h"
#include "ui/StartPage.h"

namespace kvaril {
namespace {

class FirstHour : public testing::MainWindowFixture {
  protected:
    std::pair<int, int> Caret() { return {Editor()->CaretLine(), Editor()->CaretColumn()}; }
    // The 1-based line of the skeleton's "Value := ;" in signal `index`.
    int ValueLine(int index) {
        const auto& lines = Signals().Items(index).Lines();
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == "  Value := ;") return static_cast<int>(i) + 1;
        return 0;
    }
    // The names of the pop-up's signal entries for the signal of tab `index`.
    QStringList PopupNames(int index) {
        Tabs()->setCurrentIndex(index);
        Idle();
        QStringList names;
        QTimer::singleShot(0, [this, &names] {
            TfrmOperators& popup = W().EditCommands().Operators();
            QTreeWidget* list = popup.lstOp;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QString name = list->topLevelItem(i)->text(0);
                if (name.contains("Value")) names << name;
            }
            const int shown = list->columnWidth(0);
            list->resizeColumnToContents(0);
            EXPECT_LE(list->columnWidth(0), shown) << "a name is cut off";
            popup.reject();
        });
        W().EditCommands().InsertOperator();
        return names;
    }
};

TEST_F(FirstHour, AddLeavesTheCaretWhereTheExpressionGoes) {
    AddSignal("First");
    Idle();
    const int line = ValueLine(0);
    ASSERT_GT(line, 0);
    EXPECT_EQ(Caret(), std::make_pair(line, 12)) << "between \":= \" and \";\"";
    EXPECT_EQ(Editor()->text(line - 1).left(11), "  Value := ");
    QTest::keyClicks(Editor(), "t");
    EXPECT_EQ(Editor()->text(line - 1), "  Value := t;\n") << "the user types at once";

    // A later Add, with a destructor (a longer skeleton), in a short window.
    W().resize(W().minimumSize());
    AddSignal("Second", true);
    Idle();
    const int second = ValueLine(1);
    EXPECT_EQ(Caret(), std::make_pair(second, 12));
    const int first = Editor()->firstVisibleLine();
    EXPECT_GE(second - 1, first) << "scrolled into view";
    EXPECT_LT(second - 1, first + Editor()->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
}

TEST_F(FirstHour, ThePopupOffersOnlyTheSignalsBeforeTheCurrentOne) {
    for (const char* name : {"First", "AMiddleSignalWithAVeryLongNameIndeed", "Last"})
        AddSignal(name);
    EXPECT_EQ(PopupNames(0), QStringList{"Value"});
    EXPECT_EQ(PopupNames(1), (QStringList{"Signal_First.Value", "Value"}));
    EXPECT_EQ(PopupNames(2),
              (QStringList{"Signal_First.Value",
                           "Signal_AMiddleSignalWithAVeryLongNameIndeed.Value", "Value"}));
}

TEST_F(FirstHour, TheCompilerMessageStaysMarkedUntilTheSignalIsEdited) {
    AddSignal("Early");
    AddSignal("Late");
    const int line = ValueLine(0);
    Signals().Items(0).Lines()[line - 1] = "  Value := 2 * Signal_Late.Value;";
    Tabs()->setCurrentIndex(1);
    W().LoadEditor();
    Idle();
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_TRUE(dialogs_.Errors[0].endsWith(
        "\r\nСигнал Late расположен ниже сигнала Early: измените порядок сигналов "
        "(Сигнал → Изменить порядок...)"))
        << dialogs_.Errors[0].toStdString();
    ASSERT_EQ(Tabs()->currentIndex(), 0) << "the editor went to the message";
    EXPECT_EQ(Editor()->ErrorMarkLine(), line);
    EXPECT_EQ(Editor()->ErrorMarkRange(), std::make_pair(15, 11)) << "Signal_Late";

    // Another signal and back: the mark is still there.
    Tabs()->setCurrentIndex(1);
    Idle();
    EXPECT_EQ(Editor()->ErrorMarkLine(), 0);
    Tabs()->setCurrentIndex(0);
    Idle();
    EXPECT_EQ(Editor()->ErrorMarkLine(), line);

    // An edit of the signal removes it.
    Editor()->SetCaret(1, 1);
    QTest::keyClick(Editor(), Qt::Key_Space);
    EXPECT_EQ(Editor()->ErrorMarkLine(), 0);
    EXPECT_EQ(Editor()->ErrorMarkRange().first, -1);
    Tabs()->setCurrentIndex(1);
    Idle();
    Tabs()->setCurrentIndex(0);
    Idle();
    EXPECT_EQ(Editor()->ErrorMarkLine(), 0) << "gone for good";
}

TEST_F(FirstHour, TheNextBuildRemovesTheMarkAndAWordlessPlaceGetsOneCharacter) {
    AddSignal("A");
    const int line = ValueLine(0);
    Signals().Items(0).Lines()[line - 1] = "  Value := Freq * t;";
    W().LoadEditor();
    Idle();
    Action("actModelCompile")->trigger();
    EXPECT_EQ(Editor()->ErrorMarkLine(), line);
    EXPECT_EQ(Editor()->ErrorMarkRange(), std::make_pair(11, 4)) << "Freq";
    Signals().Items(0).Lines()[line - 1] = "  Value := t;";
    W().LoadEditor();
    Idle();
    Action("actModelCompile")->trigger();
    EXPECT_EQ(Editor()->ErrorMarkLine(), 0) << "the next build starts clean";

    Editor()->MarkError(line, 13);  // the semicolon
    EXPECT_EQ(Editor()->ErrorMarkRange(), std::make_pair(12, 1));
    Editor()->MarkError(line, 40);  // beyond the end: the margin mark alone
    EXPECT_EQ(Editor()->ErrorMarkLine(), line);
    EXPECT_EQ(Editor()->ErrorMarkRange(), std::make_pair(-1, 0));
}

// Adding a signal, the first step of every document, had no key.
TEST_F(FirstHour, CtrlShiftAAddsASignalAndTheMenuShowsIt) {
    EXPECT_EQ(Action("actSignalAdd")->shortcut(), QKeySequence("Ctrl+Shift+A"));
    EXPECT_TRUE(Action("actSignalAdd")->isShortcutVisibleInContextMenu());
    dialogs_.SignalNames.push_back(TSignalNameAnswer{"First", false});
    QTest::keyClick(StartPage(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(Signals().Count(), 1) << "from the empty workbench";
    Idle();
    dialogs_.SignalNames.push_back(TSignalNameAnswer{"Second", false});
    QTest::keyClick(Editor(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Signals().Count(), 2) << "from the editor";
}

// The title said nothing of unsaved changes.
TEST_F(FirstHour, TheTitleMarksUnsavedChanges) {
    Idle();
    EXPECT_EQ(ShownTitle(), "Kvaril - noname");
    AddSignal("A");
    Idle();
    EXPECT_TRUE(W().isWindowModified());
    EXPECT_EQ(ShownTitle(), "Kvaril - noname*");
    dialogs_.Files.push_back(Path("marked.sig"));
    Action("actFileSaveAs")->trigger();
    Idle();
    EXPECT_FALSE(W().isWindowModified());
    EXPECT_EQ(ShownTitle(), "Kvaril - marked");
    Editor()->insert("x");
    Idle();
    EXPECT_EQ(ShownTitle(), "Kvaril - marked*") << "typing is a change";
}

TEST_F(FirstHour, OpenAndSaveAsHaveTheirDesktopShortcutsAndNoOtherShortcutChanged) {
    EXPECT_EQ(Action("actFileLoad")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(Action("actFileSaveAs")->shortcut(), QKeySequence("Shift+Ctrl+S"));
    const std::pair<QAction*, const char*> kept[] = {
        {Action("actFileSave"), "Ctrl+S"},       {Action("actEditOp"), "Ctrl+J"},
        {Action("actSearchPan"), "Ctrl+F"},      {Action("actSearchStart"), "F3"},
        {Action("actSearchReplace"), "Ctrl+F3"}, {Action("actModelParam"), "F8"},
        {Action("actModelCompile"), "Ctrl+F9"},  {Action("actModelRun"), "F9"},
        {Action("actHelpContents"), "F1"},       {Action("actFileNew"), ""},
    };
    for (const auto& [action, key] : kept) EXPECT_EQ(action->shortcut(), QKeySequence(key)) << key;

    // From the editor, as a user presses them.
    AddSignal("A");
    Idle();
    dialogs_.Confirms.push_back(TAnswer::No);  // the new signal is not saved
    dialogs_.Files.push_back(std::nullopt);
    QTest::keyClick(Editor(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs_.FileDialogs.size(), 1);
    EXPECT_EQ(dialogs_.FileDialogs[0].Title, "Открытие файла сигналов");

    AddSignal("B");
    Idle();
    dialogs_.Files.push_back(std::nullopt);
    QTest::keyClick(Editor(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(dialogs_.FileDialogs.size(), 2);
    EXPECT_EQ(dialogs_.FileDialogs[1].Title, "Сохранение файла сигналов");
}

TEST(WindowPlacement, WindowsComeBackOnAScreen) {
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const struct {
        QRect Wanted, Placed;
        const char* What;
    } cases[] = {
        {{100, 80, 700, 500}, {100, 80, 700, 500}, "on the first screen: as it was"},
        {{2000, 100, 700, 500}, {2000, 100, 700, 500}, "on the second screen: as it was"},
        {{5000, 4000, 700, 500},
         {1220, 580, 700, 500},
         "off every screen: the first's nearest corner"},
        {{-300, -200, 700, 500}, {0, 0, 700, 500}, "partly above and left: moved in"},
        {{1800, 900, 700, 500}, {1920, 524, 700, 500}, "mostly on the second: onto it"},
        {{10, 10, 3000, 2000}, {0, 0, 1920, 1080}, "larger than the screen: shrunk"},
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceOnScreens(c.Wanted, screens), c.Placed) << c.What;
}

// The inner area was clamped, so a window remembered at the top came back with its title bar
// above the screen, where it cannot be grabbed.
TEST(WindowPlacement, TheFrameWithItsTitleBarStaysOnTheScreen) {
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QMargins frame(4, 30, 4, 4);
    const struct {
        QRect Wanted, Placed;
        const char* What;
    } cases[] = {
        {{100, 80, 700, 500}, {100, 80, 700, 500}, "frame on the screen: as it was"},
        {{100, 10, 700, 500}, {100, 30, 700, 500}, "title bar above the screen: moved down"},
        {{1218, 580, 700, 500}, {1216, 576, 700, 500}, "frame past the corner: moved in"},
        {{-2, 5, 700, 500}, {4, 30, 700, 500}, "left edge and title bar off: both in"},
        {{0, 0, 1920, 1080}, {4, 30, 1912, 1046}, "as large as the screen: the frame fits"},
        {{2000, 5, 700, 500}, {2000, 30, 700, 500}, "on the second screen: its top"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceOnScreens(c.Wanted, screens, frame), c.Placed) << c.What;
}

TEST_F(FirstHour, ARememberedFrameKeepsTheTitleBarOnTheScreen) {
    QSettings settings("Dornek", "Kvaril");
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    settings.setValue("Windows/Main/Geometry",
                      QRect(screen.left() + 50, screen.top() + 5, 700, 460));
    settings.setValue("Windows/Main/Frame", QVariantList{3, 28, 3, 3});
    {
        TFormMain again(workbench_, dialogs_, W().Paths());
        EXPECT_EQ(again.geometry(), QRect(screen.left() + 50, screen.top() + 28, 700, 460));
    }
    // Settings of an older version know no frame: a title bar of the style's height is kept.
    settings.remove("Windows/Main/Frame");
    settings.setValue("Windows/Main/Geometry", QRect(screen.left() + 50, screen.top(), 700, 460));
    {
        TFormMain again(workbench_, dialogs_, W().Paths());
        EXPECT_EQ(again.geometry().top(),
                  screen.top() + again.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    settings.remove("Windows/Main");
}

TEST_F(FirstHour, TheWindowComesBackWhereItWasAndNeverOffScreen) {
    QSettings settings("Dornek", "Kvaril");
    settings.remove("Windows/Main");
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const QRect wanted(screen.left() + 40, screen.top() + 30, 700, 460);
    W().setGeometry(wanted);
    Idle();
    ASSERT_TRUE(W().close());
    {
        TFormMain again(workbench_, dialogs_, W().Paths());
        EXPECT_EQ(again.geometry(), wanted);
    }
    settings.setValue("Windows/Main/Geometry", QRect(screen.right() + 3000, 5000, 700, 460));
    {
        TFormMain again(workbench_, dialogs_, W().Paths());
        EXPECT_TRUE(screen.contains(again.geometry())) << "brought back onto the screen";
        EXPECT_EQ(again.geometry().size(), QSize(700, 460));
    }
    settings.remove("Windows/Main");
}

TEST_F(FirstHour, AnEmptyWorkbenchShowsTheStartPage) {
    std::filesystem::copy_file(
        std::filesystem::path(KVARIL_TEST_HELP_DIR) / "../Projects/filters.sig",
        dir_ / "Projects" / "filters.sig");
    StartPage()->ShowExamples(W().Paths().ProjectsDir);
    Idle();
    EXPECT_TRUE(StartPage()->isVisible());
    EXPECT_FALSE(Find<QWidget>("tabPage")->isVisible());
    EXPECT_TRUE(LabelText("lblStart").contains("F1"));
    ASSERT_EQ(StartPage()->Examples().size(), 1);
    EXPECT_TRUE(LabelText("lblStart").contains("filters.sig"));

    // The link opens the example.
    StartPage()->Activate(QUrl::fromLocalFile(StartPage()->Examples()[0]).toString());
    Idle();
    EXPECT_TRUE(Signals().HasSignals());
    EXPECT_FALSE(StartPage()->isVisible());
    EXPECT_TRUE(Find<QWidget>("tabPage")->isVisible());
    EXPECT_TRUE(DocumentName().endsWith("filters.sig"));

    // A new document: the page again; its "add" link adds a signal.
    Action("actFileNew")->trigger();
    Idle();
    EXPECT_TRUE(StartPage()->isVisible());
    dialogs_.SignalNames.push_back(TSignalNameAnswer{"A", false});
    StartPage()->Activate("add");
    Idle();
    EXPECT_EQ(Signals().Count(), 1);
    EXPECT_FALSE(StartPage()->isVisible());
    StartPage()->Activate("file:///etc/passwd");  // only the listed examples open
    EXPECT_EQ(Signals().Count(), 1);
}

TEST(DlgModelParams, TellsTheQuantaAndTheRateAsTheUserTypes) {
    TSignals signals;
    TDlgModelParams dialog(nullptr, signals);
    EXPECT_EQ(dialog.lblQuanta->text(), "Квантов: 1000, частота дискретизации: 10000 Гц");
    dialog.edQuantTime->setText("0.001");
    dialog.edTotalTime->setText("0.0157");
    EXPECT_EQ(dialog.lblQuanta->text(), "Квантов: 16, частота дискретизации: 1000 Гц")
        << "snapped as accepting would";
    dialog.edTotalTime->setText("0.005");
    EXPECT_EQ(dialog.lblQuanta->text(), "Квантов: 10, частота дискретизации: 1000 Гц");
    dialog.edQuantTime->setText("0.0001");
    dialog.edTotalTime->setText("100");
    EXPECT_EQ(dialog.lblQuanta->text(),
              "Квантов: 1000000 - действует классический предел 10000 квантов; снять его: "
              "Моделирование → Длинные прогоны (до 10000000 квантов)");
    dialog.edTotalTime->setText("x");
    EXPECT_EQ(dialog.lblQuanta->text(), "Квантов: 1000, частота дискретизации: 10000 Гц")
        << "a field that is no number keeps its value";
    EXPECT_FALSE(signals.Modified) << "typing changes nothing";
}

TEST_F(FirstHour, SaveDialogsStartInTheDocumentsFolderOrWhereTheUserMaySave) {
    AddSignal("A");
    Idle();
    dialogs_.Files.push_back(std::nullopt);
    Action("actFileSaveAs")->trigger();
    ASSERT_EQ(dialogs_.FileDialogs.size(), 1);
    EXPECT_EQ(dialogs_.FileDialogs.back().Directory, W().Paths().ProjectsDir);

    // A document elsewhere: Save As and the library start beside it.
    std::filesystem::create_directories(dir_ / "mine");
    const QString doc = Path("mine/doc.sig");
    dialogs_.Files.push_back(doc);
    Action("actFileSaveAs")->trigger();
    Idle();
    ASSERT_TRUE(QFileInfo::exists(doc));
    dialogs_.Files.push_back(std::nullopt);
    Action("actFileSaveAs")->trigger();
    EXPECT_EQ(dialogs_.FileDialogs.back().Directory, Path("mine"));
    dialogs_.Files.push_back(std::nullopt);
    Action("actSignalSave")->trigger();
    EXPECT_EQ(dialogs_.FileDialogs.back().Directory, Path("mine"));

    // An examples folder that cannot be written (here: one that is gone).
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/";
    EXPECT_EQ(W().DocumentCommands().SaveFolder(Path("gone/")), documents);
    EXPECT_EQ(W().DocumentCommands().SaveFolder(Path("mine/")), Path("mine/"));
}

// Run by root, an installed copy offered its own examples folder, which root may write.
TEST_F(FirstHour, AnInstalledCopyNeverOffersItsOwnFolderForSaving) {
    std::filesystem::create_directories(dir_ / "usr/lib/kvaril/Projects");
    std::filesystem::create_directories(dir_ / "mine");
    TProgramPaths installed;
    installed.ProgramDir = Path("usr/lib/kvaril/");
    installed.ProjectsDir = installed.ProgramDir + "Projects/";
    installed.BinDir = Path("cache/kvaril/Bin/");
    TFormMain window(workbench_, dialogs_, installed);
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/";
    EXPECT_EQ(window.DocumentCommands().SaveFolder(installed.ProjectsDir), documents);
    EXPECT_EQ(window.DocumentCommands().SaveFolder(installed.ProgramDir), documents);
    EXPECT_EQ(window.DocumentCommands().SaveFolder(Path("mine/")), Path("mine/"));
    EXPECT_EQ(W().DocumentCommands().SaveFolder(W().Paths().ProjectsDir), W().Paths().ProjectsDir)
        << "a build tree's examples are the user's own";
}

TEST(ErrorBox, ShowsTheErrorIcon) {
    const std::unique_ptr<QMessageBox> box = MakeErrorBox(nullptr, "Title", "text");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), "Kvaril: Сообщение об ошибке");
    EXPECT_EQ(box->text(), "Title\ntext");
}

}  // namespace
}  // namespace kvaril
