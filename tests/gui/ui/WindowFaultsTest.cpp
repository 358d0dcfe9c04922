// The main window's own faults as users met them: an idle window that kept a processor busy,
// help behind the modal oscilloscope, the font dialog, indentation and undo in the editor, the
// search field, and what the eye sees (directives, pop-up, about box, hints, clipboard).

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFontComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <ctime>

#include "MainWindowFixture.h"
#include "common/DlgFont.h"
#include "common/FrmAbout.h"
#include "common/Help.h"
#include "ui/EditCommands.h"
#include "ui/FrmOperators.h"

namespace kvaril {
namespace {

using WindowFaults = testing::MainWindowFixture;

double ProcessCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The processor time the process uses while its event loop idles for a second.
double CpuWhileIdleForASecond() {
    QEventLoop settle;
    QTimer::singleShot(100, &settle, &QEventLoop::quit);
    settle.exec();
    const double before = ProcessCpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    return ProcessCpuSeconds() - before;
}

TEST_F(WindowFaults, AnIdleWindowLeavesTheProcessorAlone) {
    EXPECT_LT(CpuWhileIdleForASecond(), 0.1) << "no document";

    AddSignal("A");
    EXPECT_LT(CpuWhileIdleForASecond(), 0.1) << "a document with a signal";

    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actSignalDelete")->trigger();
    ASSERT_EQ(Signals().Count(), 0);
    EXPECT_LT(CpuWhileIdleForASecond(), 0.1) << "a document without signals";
}

TEST_F(WindowFaults, HelpIsUsableOnTopOfAModalWindow) {
    SetHelpDirectory(KVARIL_TEST_HELP_DIR);
    QDialog modal(&W());
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    Idle();
    ShowHelp(&modal, THelpTopic::Oscilloscope);
    Idle();
    QWidget* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    ASSERT_NE(help->windowHandle(), nullptr);
    // A modal window blocks every window except itself and those that belong to it.
    EXPECT_TRUE(
        modal.windowHandle()->isAncestorOf(help->windowHandle(), QWindow::IncludeTransients))
        << "the help would take no input";
    modal.hide();

    // Without a modal window the help belongs to the window that asked for it.
    ShowHelp(Editor(), THelpTopic::Contents);
    Idle();
    ASSERT_EQ(HelpWindow(), help) << "one help window";
    EXPECT_EQ(help->parentWidget(), &W());
    EXPECT_TRUE(help->isWindow());
    help->close();
    SetHelpDirectory({});
}

TEST_F(WindowFaults, TheFontDialogStartsFromTheEditorFontAndTakesOnlyFamilyAndSize) {
    TDlgFont dialog(&W(), EditorFont());
    EXPECT_EQ(dialog.cbFamily->currentFont().family(), QFontInfo(EditorFont()).family());
    ASSERT_EQ(dialog.lstSize->count(), 15);
    EXPECT_EQ(dialog.lstSize->item(0)->text(), "8");
    EXPECT_EQ(dialog.lstSize->item(14)->text(), "22");
    EXPECT_EQ(dialog.lstSize->currentItem()->text(), "11");
    EXPECT_FALSE(dialog.Result().italic());
    EXPECT_FALSE(dialog.Result().bold());

    QFont chosen("DejaVu Sans Mono");
    chosen.setPointSize(30);
    chosen.setItalic(true);
    chosen.setBold(true);
    chosen.setStyleName("Bold Oblique");
    dialogs_.Fonts.push_back(chosen);
    Action("actViewFont")->trigger();
    EXPECT_EQ(EditorFont().family(), "DejaVu Sans Mono");
    EXPECT_EQ(EditorFont().pointSize(), 22);
    EXPECT_FALSE(EditorFont().italic());
    EXPECT_FALSE(EditorFont().bold());
    EXPECT_TRUE(EditorFont().styleName().isEmpty());

    QSettings settings("Dornek", "Kvaril");
    EXPECT_EQ(settings.value("Options/Font/Size").toInt(), 22);
    EXPECT_EQ(settings.value("Options/Font/Charset").toInt(), 204);
    settings.setValue("Options/Font/Size", 40);
    settings.setValue("Options/Font/Charset", 0);
    QFont font = BuiltInEditorFont();
    int charset = 204;
    LoadEditorFont(settings, font, &charset);
    EXPECT_EQ(font.pointSize(), 22) << "a stored size outside 8 to 22";
    EXPECT_EQ(charset, 0) << "the stored character set is kept";
    settings.clear();
}

class Editing : public testing::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        AddSignal("A");
        Editor()->setFocus();
    }
    void Text(const QString& text, int line, int index) {
        Editor()->setText(text);
        Editor()->setCursorPosition(line, index);
        Editor()->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    }
    QString Line(int line) {
        QString text = Editor()->text(line);
        while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
        return text;
    }
    int Column() { return Editor()->CaretColumn(); }
    // Enter as in a shown window, where the text has been coloured (keywords known) first.
    void Enter() {
        Editor()->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
        QTest::keyClick(Editor(), Qt::Key_Return);
    }
};

TEST_F(Editing, EnterKeepsThePreviousIndentation) {
    Text("    x := 1;\nbegin\n  if a then\n", 0, 11);
    Enter();
    EXPECT_EQ(Column(), 5);
    QTest::keyClicks(Editor(), "begin");
    Enter();
    EXPECT_EQ(Line(1), "    begin") << "begin stays where it was typed";
    EXPECT_EQ(Column(), 5) << "no deeper indentation after begin";
    QTest::keyClicks(Editor(), "end;");
    Enter();
    EXPECT_EQ(Line(2), "    end;");
    EXPECT_EQ(Column(), 5);

    Editor()->setCursorPosition(4, 0);  // "begin" at column 1
    Editor()->SendScintilla(QsciScintillaBase::SCI_LINEEND);
    Enter();
    EXPECT_EQ(Column(), 1) << "no deeper indentation after begin at column 1";
    Editor()->setCursorPosition(6, 0);  // "  if a then"
    Editor()->SendScintilla(QsciScintillaBase::SCI_LINEEND);
    Enter();
    EXPECT_EQ(Column(), 3) << "nor after then";
}

TEST_F(Editing, TheIndentStepIsTwo) {
    Text("a;\nb;\nc;\n", 0, 0);
    Editor()->setSelection(0, 0, 1, 2);
    QTest::keyClick(Editor(), Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Line(0), "  a;");
    EXPECT_EQ(Line(1), "  b;");
    EXPECT_EQ(Line(2), "c;");
    QTest::keyClick(Editor(), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Line(0), "a;");
}

TEST_F(Editing, OneEnterIsOneUndoStep) {
    const QString before = "  begin\n    x := 1;";
    Text(before, 1, 11);
    QTest::keyClick(Editor(), Qt::Key_Return);
    ASSERT_EQ(Line(2), "    ");
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Editor()->text(), before);
    EXPECT_FALSE(Editor()->isUndoAvailable());
}

TEST_F(Editing, CtrlFSelectsTheSearchTextOrTakesTheSelectedWord) {
    Text("alpha beta\nbeta\n", 0, 0);
    Idle();
    QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(SearchPanel()->isVisible());
    QTest::keyClicks(SearchField(), "beta");
    Idle();
    QTest::keyClick(SearchField(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_FALSE(SearchPanel()->isVisible());
    Idle();
    QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(SearchField()->selectedText(), "beta") << "typing replaces the last text";
    QTest::keyClicks(SearchField(), "alp");
    EXPECT_EQ(SearchField()->text(), "alp");

    Idle();
    QTest::keyClick(SearchField(), Qt::Key_F, Qt::ControlModifier);
    Editor()->setSelection(0, 6, 0, 10);
    Idle();
    QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(SearchField()->text(), "beta");
    EXPECT_EQ(SearchField()->selectedText(), "beta");
}

TEST_F(Editing, EnterInTheSearchFieldFindsTheNextOccurrence) {
    Text("beta x beta\nbeta\n", 0, 0);
    Idle();
    QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(SearchField(), "beta");
    Idle();
    QTest::keyClick(SearchField(), Qt::Key_Return);
    EXPECT_EQ(W().StatusText(), "Найдена подстрока: <beta>");
    EXPECT_EQ(Column(), 8);
    SearchField()->setFocus();
    QTest::keyClick(SearchField(), Qt::Key_Enter);
    EXPECT_EQ(Editor()->CaretLine(), 2);
    W().ShowStatus("");
    SearchField()->setFocus();
    QTest::keyClick(SearchField(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(W().StatusText(), "") << "no search backwards on this panel";
    EXPECT_EQ(Editor()->CaretLine(), 2);
}

TEST_F(Editing, DirectivesAreDrawnAsComments) {
    Text("{$R+} (*$Q-*) x", 0, 0);
    Editor()->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
    for (int pos : {1, 8}) {
        const int style =
            static_cast<int>(Editor()->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, pos));
        EXPECT_EQ(Editor()->lexer()->color(style), QColor(0, 128, 0)) << pos;
        EXPECT_TRUE(Editor()->lexer()->font(style).italic()) << pos;
    }
}

TEST_F(Editing, CopiedTextHasThePlatformsLineEnds) {
    Signals().Items(0).SetText("ab\r\ncd\r\n");
    W().LoadEditor();
    Editor()->selectAll();
    QTest::keyClick(Editor(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "ab\ncd\n");
    // The signal still gets CR LF.
    W().StoreEditor();
    EXPECT_EQ(Signals().Items(0).GetText(), "ab\r\ncd\r\n");
}

TEST_F(Editing, ThePopUpShowsWholeNamesAndWholeRows) {
    AddSignal("LowPassFilter");
    Tabs()->setCurrentIndex(0);
    Idle();
    QTimer::singleShot(0, [this] {
        TfrmOperators& popup = W().EditCommands().Operators();
        QTreeWidget* list = popup.lstOp;
        const QFontMetrics metrics(list->font());
        int widestName = 0, widest = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            widestName =
                std::max(widestName, metrics.horizontalAdvance(list->topLevelItem(i)->text(0)));
            widest = std::max(widest, metrics.horizontalAdvance(list->topLevelItem(i)->text(1)));
        }
        EXPECT_GE(widest, metrics.horizontalAdvance("implementation"));
        EXPECT_GT(list->columnWidth(0), widestName + 6) << "every name whole";
        EXPECT_GT(list->columnWidth(1), widest + 6) << "every comment whole";
        ASSERT_GE(list->topLevelItemCount(), 5);
        EXPECT_LE(list->visualItemRect(list->topLevelItem(4)).bottom(), list->viewport()->height())
            << "five whole rows; row height " << list->sizeHintForRow(0) << ", list "
            << list->viewport()->height();
        EXPECT_GE(popup.width(), 227);
        EXPECT_GE(popup.height(), 73);
        popup.reject();
    });
    Action("actEditOp")->trigger();
}

TEST_F(WindowFaults, TheAboutBoxIsCentredAndKeepsItsLines) {
    W().move(0, 0);
    TFormAbout about(&W());
    about.show();
    Idle();
    const QRect desktop = about.screen()->availableGeometry();
    EXPECT_LE((about.frameGeometry().center() - desktop.center()).manhattanLength(), 40);
    auto* text = about.findChild<QPlainTextEdit*>("edText");
    ASSERT_NE(text, nullptr);
    for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.layout()->lineCount(), 1) << b.text().toStdString();
}

TEST_F(WindowFaults, TheSearchButtonsHintFollowsThePanel) {
    EXPECT_EQ(Action("actSearchPan")->toolTip(), "Отображение панели поиска-замены");
    AddSignal("A");
    Idle();
    Action("actSearchPan")->trigger();
    EXPECT_EQ(Action("actSearchPan")->toolTip(), "Скрытие панели поиска-замены");
    dialogs_.Confirms.push_back(TAnswer::Yes);
    Action("actSignalDelete")->trigger();
    EXPECT_EQ(Action("actSearchPan")->toolTip(), "Отображение панели поиска-замены");
}

}  // namespace
}  // namespace kvaril
