// What a new user meets in the first hour: the caret after Add, the operator pop-up, the marked
// compiler message, the shortcuts, the window's place, the start page, the parameters' live text
// and the folders the save dialogs start in.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "MainWindowFixture.h"
#include "ui/DlgModelParams.h"
#include "ui/EditCommands.h"
#include "ui/FrmOperators.h"
#include "ui/StartPage.h"
#include "ui/WindowPlacement.h"

namespace kvaril {
namespace {

class FirstHour : public testing::MainWindowFixture {
  protected:
    std::pair<int, int> Caret() { return {W().edSignal->CaretLine(), W().edSignal->CaretColumn()}; }
    // The 1-based line of the skeleton's "Value := ;" in signal `index`.
    int ValueLine(int index) {
        const auto& lines = Signals().Items(index).Lines();
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == "  Value := ;") return static_cast<int>(i) + 1;
        return 0;
    }
    // The names of the pop-up's signal entries for the signal of tab `index`.
    QStringList PopupNames(int index) {
        W().tabSignals->setCurrentIndex(index);
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
    EXPECT_EQ(W().edSignal->text(line - 1).left(11), "  Value := ");
    QTest::keyClicks(W().edSignal, "t");
    EXPECT_EQ(W().edSignal->text(line - 1), "  Value := t;\n") << "the user types at once";

    // A later Add, with a destructor (a longer skeleton), in a short window.
    W().resize(W().minimumSize());
    AddSignal("Second", true);
    Idle();
    const int second = ValueLine(1);
    EXPECT_EQ(Caret(), std::make_pair(second, 12));
    const int first = W().edSignal->firstVisibleLine();
    EXPECT_GE(second - 1, first) << "scrolled into view";
    EXPECT_LT(second - 1,
              first + W().edSignal->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
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
    W().tabSignals->setCurrentIndex(1);
    W().LoadEditor();
    Idle();
    W().actModelCompile->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_TRUE(dialogs_.Errors[0].endsWith(
        "\r\nСигнал Late расположен ниже сигнала Early: измените порядок сигналов "
        "(Сигнал → Порядок)"))
        << dialogs_.Errors[0].toStdString();
    ASSERT_EQ(W().tabSignals->currentIndex(), 0) << "the editor went to the message";
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), line);
    EXPECT_EQ(W().edSignal->ErrorMarkRange(), std::make_pair(15, 11)) << "Signal_Late";

    // Another signal and back: the mark is still there.
    W().tabSignals->setCurrentIndex(1);
    Idle();
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), 0);
    W().tabSignals->setCurrentIndex(0);
    Idle();
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), line);

    // An edit of the signal removes it.
    W().edSignal->SetCaret(1, 1);
    QTest::keyClick(W().edSignal, Qt::Key_Space);
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), 0);
    EXPECT_EQ(W().edSignal->ErrorMarkRange().first, -1);
    W().tabSignals->setCurrentIndex(1);
    Idle();
    W().tabSignals->setCurrentIndex(0);
    Idle();
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), 0) << "gone for good";
}

TEST_F(FirstHour, TheNextBuildRemovesTheMarkAndAWordlessPlaceGetsOneCharacter) {
    AddSignal("A");
    const int line = ValueLine(0);
    Signals().Items(0).Lines()[line - 1] = "  Value := Freq * t;";
    W().LoadEditor();
    Idle();
    W().actModelCompile->trigger();
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), line);
    EXPECT_EQ(W().edSignal->ErrorMarkRange(), std::make_pair(11, 4)) << "Freq";
    Signals().Items(0).Lines()[line - 1] = "  Value := t;";
    W().LoadEditor();
    Idle();
    W().actModelCompile->trigger();
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), 0) << "the next build starts clean";

    W().edSignal->MarkError(line, 13);  // the semicolon
    EXPECT_EQ(W().edSignal->ErrorMarkRange(), std::make_pair(12, 1));
    W().edSignal->MarkError(line, 40);  // beyond the end: the margin mark alone
    EXPECT_EQ(W().edSignal->ErrorMarkLine(), line);
    EXPECT_EQ(W().edSignal->ErrorMarkRange(), std::make_pair(-1, 0));
}

TEST_F(FirstHour, OpenAndSaveAsHaveTheirDesktopShortcutsAndNoOtherShortcutChanged) {
    EXPECT_EQ(W().actFileLoad->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(W().actFileSaveAs->shortcut(), QKeySequence("Shift+Ctrl+S"));
    const std::pair<QAction*, const char*> kept[] = {
        {W().actFileSave, "Ctrl+S"},
        {W().actEditOp, "Ctrl+J"},
        {W().actSearchPan, "Ctrl+F"},
        {W().actSearchStart, "F3"},
        {W().actSearchReplace, "Ctrl+F3"},
        {W().actModelParam, "F8"},
        {W().actModelCompile, "Ctrl+F9"},
        {W().actModelRun, "F9"},
        {W().actHelpContents, "F1"},
        {W().actFileNew, ""},
        {W().actSignalAdd, ""},
    };
    for (const auto& [action, key] : kept) EXPECT_EQ(action->shortcut(), QKeySequence(key)) << key;

    // From the editor, as a user presses them.
    AddSignal("A");
    Idle();
    dialogs_.Confirms.push_back(TAnswer::No);  // the new signal is not saved
    dialogs_.Files.push_back(std::nullopt);
    QTest::keyClick(W().edSignal, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs_.FileDialogs.size(), 1);
    EXPECT_EQ(dialogs_.FileDialogs[0].Title, "Открытие файла сигналов");

    AddSignal("B");
    Idle();
    dialogs_.Files.push_back(std::nullopt);
    QTest::keyClick(W().edSignal, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
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
    W().pnlStart->ShowExamples(W().Paths().ProjectsDir);
    Idle();
    EXPECT_TRUE(W().pnlStart->isVisible());
    EXPECT_FALSE(W().tabPage->isVisible());
    EXPECT_TRUE(W().pnlStart->lblStart->text().contains("F1"));
    ASSERT_EQ(W().pnlStart->Examples().size(), 1);
    EXPECT_TRUE(W().pnlStart->lblStart->text().contains("filters.sig"));

    // The link opens the example.
    W().pnlStart->Activate(QUrl::fromLocalFile(W().pnlStart->Examples()[0]).toString());
    Idle();
    EXPECT_TRUE(Signals().HasSignals());
    EXPECT_FALSE(W().pnlStart->isVisible());
    EXPECT_TRUE(W().tabPage->isVisible());
    EXPECT_TRUE(W().DocumentName.endsWith("filters.sig"));

    // A new document: the page again; its "add" link adds a signal.
    W().actFileNew->trigger();
    Idle();
    EXPECT_TRUE(W().pnlStart->isVisible());
    dialogs_.SignalNames.push_back(TSignalNameAnswer{"A", false});
    W().pnlStart->Activate("add");
    Idle();
    EXPECT_EQ(Signals().Count(), 1);
    EXPECT_FALSE(W().pnlStart->isVisible());
    W().pnlStart->Activate("file:///etc/passwd");  // only the listed examples open
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
    EXPECT_EQ(dialog.lblQuanta->text(), "Квантов: 1000000 - допустимо от 10 до 10000 квантов");
    dialog.edTotalTime->setText("x");
    EXPECT_EQ(dialog.lblQuanta->text(), "Квантов: 1000, частота дискретизации: 10000 Гц")
        << "a field that is no number keeps its value";
    EXPECT_FALSE(signals.Modified) << "typing changes nothing";
}

TEST_F(FirstHour, SaveDialogsStartInTheDocumentsFolderOrWhereTheUserMaySave) {
    AddSignal("A");
    Idle();
    dialogs_.Files.push_back(std::nullopt);
    W().actFileSaveAs->trigger();
    ASSERT_EQ(dialogs_.FileDialogs.size(), 1);
    EXPECT_EQ(dialogs_.FileDialogs.back().Directory, W().Paths().ProjectsDir);

    // A document elsewhere: Save As and the library start beside it.
    std::filesystem::create_directories(dir_ / "mine");
    const QString doc = Path("mine/doc.sig");
    dialogs_.Files.push_back(doc);
    W().actFileSaveAs->trigger();
    Idle();
    ASSERT_TRUE(QFileInfo::exists(doc));
    dialogs_.Files.push_back(std::nullopt);
    W().actFileSaveAs->trigger();
    EXPECT_EQ(dialogs_.FileDialogs.back().Directory, Path("mine"));
    dialogs_.Files.push_back(std::nullopt);
    W().actSignalSave->trigger();
    EXPECT_EQ(dialogs_.FileDialogs.back().Directory, Path("mine"));

    // An examples folder that cannot be written (here: one that is gone).
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/";
    EXPECT_EQ(W().DocumentCommands().SaveFolder(Path("gone/")), documents);
    EXPECT_EQ(W().DocumentCommands().SaveFolder(Path("mine/")), Path("mine/"));
}

TEST(ErrorBox, ShowsTheErrorIcon) {
    const std::unique_ptr<QMessageBox> box = MakeErrorBox(nullptr, "Title", "text");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), "Kvaril: Сообщение об ошибке");
    EXPECT_EQ(box->text(), "Title\ntext");
}

}  // namespace
}  // namespace kvaril
