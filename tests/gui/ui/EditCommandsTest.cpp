// Search and replace, operator templates and the editor font, as a user meets them.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "ui/EditCommands.h"
#include "ui/FrmOperators.h"

namespace kvaril {
namespace {

class EditAids : public testing::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        AddSignal("A");
    }
    void Text(const QString& text) {
        Editor()->setText(text);
        Editor()->setCursorPosition(0, 0);
    }
    void Panel(const QString& search, const QString& replace = {}) {
        if (!SearchPanel()->isVisible()) {
            Idle();
            Action("actSearchPan")->trigger();
        }
        SearchField()->setText(search);
        ReplaceField()->setText(replace);
    }
    std::pair<int, int> Caret() {
        int line, index;
        Editor()->getCursorPosition(&line, &index);
        return {line, index + 1};
    }
    TEditCommands& E() { return W().EditCommands(); }
};

TEST_F(EditAids, FindSkipsTheOccurrenceAtTheCaretAndStepsThroughALine) {
    Text("abc x abc abc\r\nfoo\r\n");
    Panel("abc");
    E().Find();
    EXPECT_EQ(Caret(), std::make_pair(0, 7));
    EXPECT_EQ(LabelText("pnlMessage"), "Найдена подстрока: <abc>");
    E().Find();
    EXPECT_EQ(Caret(), std::make_pair(0, 11));
    E().Find();
    EXPECT_EQ(Caret(), std::make_pair(0, 1)) << "on from the top";
    EXPECT_EQ(LabelText("pnlMessage"),
              "Найдена подстрока: <abc> (поиск продолжен с начала текста)");
    Panel("abd");
    E().Find();
    EXPECT_EQ(LabelText("pnlMessage"), "Подстрока <abd> не найдена");
    EXPECT_EQ(dialogs_.Beeps, 1);
    EXPECT_EQ(Caret(), std::make_pair(0, 1)) << "not found: the caret stays";
}

// "Подстрока <3000> не найдена" for a text in plain view above the caret.
TEST_F(EditAids, FindGoesOnFromTheTopOnceSaysSoAndSelectsTheMatch) {
    Text("F := 3000;\r\nx\r\ny := F;\r\n");
    Editor()->setCursorPosition(2, 0);
    Panel("3000");
    E().Find();
    EXPECT_EQ(LabelText("pnlMessage"),
              "Найдена подстрока: <3000> (поиск продолжен с начала текста)");
    EXPECT_EQ(Caret(), std::make_pair(0, 6)) << "before the match, as without wrapping";
    EXPECT_EQ(Editor()->selectedText(), "3000");
    EXPECT_EQ(dialogs_.Beeps, 0) << "found: no beep";
    E().Find();
    EXPECT_EQ(Caret(), std::make_pair(0, 6)) << "the only one, found again";

    Panel("3000", "4000");
    E().Replace();
    EXPECT_EQ(Editor()->text(0), "F := 4000;\r\n") << "the selected match is the one replaced";
    EXPECT_EQ(LabelText("pnlMessage"), "Сделана замена <3000> на <4000>");
}

TEST_F(EditAids, ReplaceGoesOnFromTheTopOnceToo) {
    Text("ab\r\nx\r\n");
    Editor()->setCursorPosition(1, 1);
    Panel("ab", "X");
    E().Replace();
    EXPECT_EQ(Editor()->text(0), "X\r\n");
    EXPECT_EQ(LabelText("pnlMessage"),
              "Сделана замена <ab> на <X> (поиск продолжен с начала текста)");
}

TEST_F(EditAids, ReplaceAllOfAByAbInAaa) {
    Text("aaa\r\n");
    Editor()->setCursorPosition(0, 2);
    Panel("a", "ab");
    E().ReplaceAll();
    EXPECT_EQ(Editor()->text(0), "ababab\r\n");
    EXPECT_EQ(LabelText("pnlMessage"), "Сделано замен: 3");
    EXPECT_TRUE(Signals().Modified);
    Editor()->undo();
    EXPECT_EQ(Editor()->text(0), "aaa\r\n") << "one undo step takes it back";
}

TEST_F(EditAids, AnEmptyReplacementDeletesAndReplaceTakesTheOneAtTheCaret) {
    Text("x-y-z\r\n");
    Panel("-");
    E().ReplaceAll();
    EXPECT_EQ(Editor()->text(0), "xyz\r\n");
    EXPECT_EQ(LabelText("pnlMessage"), "Сделано замен: 2");

    Text("ab ab\r\n");
    Panel("ab", "X");
    E().Replace();
    EXPECT_EQ(Editor()->text(0), "X ab\r\n") << "the occurrence at the caret is replaced";
    EXPECT_EQ(LabelText("pnlMessage"), "Сделана замена <ab> на <X>");
}

TEST_F(EditAids, MatchingIsCaseSensitiveAndChecksItsTexts) {
    Text("ABC\r\n");
    Panel("abc", "x");
    E().ReplaceAll();
    EXPECT_EQ(LabelText("pnlMessage"), "Подстрока <abc> не найдена");
    Panel("abc", "abc");
    E().Replace();
    EXPECT_EQ(LabelText("pnlMessage"), "Строка поиска совпадает со строкой замены");
    Panel("");
    E().Find();
    EXPECT_EQ(LabelText("pnlMessage"), "Не задана строка поиска");
    EXPECT_EQ(dialogs_.Beeps, 3);
}

TEST_F(EditAids, SearchActionsFollowThePanel) {
    Panel("abc", "x");
    Idle();
    EXPECT_TRUE(Action("actSearchStart")->isEnabled());
    EXPECT_TRUE(Action("actSearchReplaceAll")->isEnabled());
    Action("actSearchPan")->trigger();
    Idle();
    EXPECT_FALSE(SearchPanel()->isVisible());
    EXPECT_FALSE(Action("actSearchStart")->isEnabled());
    EXPECT_FALSE(Action("actSearchReplace")->isEnabled());
    EXPECT_FALSE(Action("actSearchReplaceAll")->isEnabled());
}

TEST_F(EditAids, TheIfTemplateAtColumnFivePutsTheCaretInColumnEight) {
    Text("    \n");
    Editor()->setCursorPosition(0, 4);
    // Choose the "if" entry (after the signal reference, ":=" and "//") when the pop-up shows.
    QTimer::singleShot(0, [this] {
        QTreeWidget* list = E().Operators().lstOp;
        EXPECT_EQ(list->topLevelItem(0)->text(0), "Value");
        list->setCurrentItem(list->topLevelItem(3));
        E().Operators().accept();
    });
    E().InsertOperator();
    EXPECT_EQ(Editor()->text(0), "    if  then\n");
    EXPECT_EQ(Editor()->text(1), "      ;\n");
    EXPECT_EQ(Caret(), std::make_pair(0, 8));
    EXPECT_EQ(QApplication::clipboard()->text(), "if  then\n      ;") << "the platform's line ends";
    EXPECT_TRUE(Editor()->isModified());

    QTimer::singleShot(0, [this] { E().Operators().reject(); });
    E().InsertOperator();
    EXPECT_EQ(Editor()->text(0), "    if  then\n") << "cancelled: nothing inserted";
}

TEST_F(EditAids, TheFontSurvivesARestartAndAMissingSizeKeepsTheBuiltInOne) {
    QFont chosen("DejaVu Sans Mono");
    chosen.setPointSize(14);
    dialogs_.Fonts.push_back(chosen);
    Action("actViewFont")->trigger();
    EXPECT_EQ(EditorFont().pointSize(), 14);

    // A restart: a new window reads the stored font.
    window_.reset();
    window_ = std::make_unique<TFormMain>(workbench_, dialogs_, TProgramPaths{});
    EXPECT_EQ(EditorFont().family(), "DejaVu Sans Mono");
    EXPECT_EQ(EditorFont().pointSize(), 14);

    QSettings settings("Dornek", "Kvaril");
    settings.remove("Options/Font/Size");
    QFont font = BuiltInEditorFont();
    LoadEditorFont(settings, font);
    EXPECT_EQ(font.family(), "DejaVu Sans Mono") << "the name is applied";
    EXPECT_EQ(font.pointSize(), 11) << "the missing size keeps the built-in one";

    settings.remove("Options/Font");
    font = BuiltInEditorFont();
    LoadEditorFont(settings, font);
    EXPECT_EQ(font.family(), "Courier New");
    settings.clear();
}

TEST_F(EditAids, CancellingTheFontDialogWritesNothing) {
    QSettings("Dornek", "Kvaril").clear();
    dialogs_.Fonts.push_back(std::nullopt);
    Action("actViewFont")->trigger();
    EXPECT_FALSE(QSettings("Dornek", "Kvaril").contains("Options/Font/Name"));
}

}  // namespace
}  // namespace kvaril
