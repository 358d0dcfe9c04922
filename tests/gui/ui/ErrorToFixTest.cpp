// From a message to the fix: the box of a signal used above its place moves it, a fault at run
// time opens its signal, and the error box shows its whole title.

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QStyle>

#include "MainWindowFixture.h"
#include "common/Dialogs.h"

namespace kvaril {
namespace {

class ErrorToFix : public testing::MainWindowFixture {
  protected:
    // Early reads Late, which stands below it.
    void ForwardReference() {
        AddSignal("First");
        AddSignal("Early");
        AddSignal("Late");
        Signals().Items(0).Lines()[20] = "  Value := t;";
        Signals().Items(1).Lines()[20] = "  Value := 2 * Signal_Late.Value;";
        Signals().Items(2).Lines()[20] = "  Value := t;";
        Tabs()->setCurrentIndex(0);
        W().LoadEditor();
        Idle();
    }
    QStringList Names() {
        QStringList names;
        for (int i = 0; i < Signals().Count(); ++i)
            names << QString::fromStdString(Signals().Items(i).Name());
        return names;
    }
};

TEST_F(ErrorToFix, TheReorderBoxMovesTheSignalAboveItsFirstUser) {
    ForwardReference();
    dialogs_.Mends.push_back(true);
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.MendsOffered, QStringList{"Переместить Late выше Early"});
    EXPECT_EQ(Names(), (QStringList{"First", "Late", "Early"}));
    EXPECT_TRUE(Signals().Modified);
    EXPECT_EQ(Tabs()->tabText(1), "Late");
    EXPECT_EQ(Tabs()->currentIndex(), 1) << "the moved signal is shown";
    EXPECT_EQ(LabelText("pnlMessage"), "Сигнал Late перемещен выше сигнала Early");
    EXPECT_EQ(Editor()->ErrorMarkLine(), 0) << "the mark of the old place is gone";

    Action("actModelCompile")->trigger();
    EXPECT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(LabelText("pnlMessage"), "Ok") << "the order compiles now";
}

TEST_F(ErrorToFix, OkInTheReorderBoxLeavesTheOrder) {
    ForwardReference();
    Action("actModelCompile")->trigger();
    ASSERT_EQ(dialogs_.MendsOffered.size(), 1);
    EXPECT_EQ(Names(), (QStringList{"First", "Early", "Late"}));
    EXPECT_EQ(Tabs()->currentIndex(), 1) << "the editor went to the message";
    EXPECT_EQ(LabelText("pnlMessage"),
              "Идентификатор 'Signal_Late' не найден "
              "(Error: Identifier not found 'Signal_Late')");
}

// A fault at run time named the signal in the box and left the editor where it was.
TEST_F(ErrorToFix, AFaultAtRunTimeOpensItsSignalMarkedAtThePhase) {
    AddSignal("Fine");
    AddSignal("Fails");
    Signals().Items(0).Lines()[20] = "  Value := t;";
    Signals().Items(1).Lines()[20] = "  Value := 1 / t;";
    Tabs()->setCurrentIndex(0);
    W().LoadEditor();
    Idle();
    Action("actModelRun")->trigger();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(Tabs()->currentIndex(), 1);
    const auto& lines = Signals().Items(1).Lines();
    const int make = static_cast<int>(
        std::find(lines.begin(), lines.end(), "procedure TSignal_Fails.Make(t: Double);") -
        lines.begin() + 1);
    EXPECT_EQ(Editor()->ErrorMarkLine(), make);
    EXPECT_EQ(Editor()->ErrorMarkRange(), std::make_pair(24, 4)) << "Make";
    EXPECT_EQ(Editor()->CaretLine(), make);
}

// "Kvaril: Сообщение об ошибке" was cut to "Kvaril: Сообщени…" over a short message.
TEST(ErrorBox, IsWideEnoughForItsTitle) {
    std::unique_ptr<QMessageBox> box =
        MakeErrorBox(nullptr, "Ошибка в программе", "Недопустимое выражение");
    box->show();
    QApplication::processEvents();
    QFont bold = box->font();
    bold.setBold(true);
    const int buttons = 3 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + buttons);
    box->hide();
}

}  // namespace
}  // namespace kvaril
