// The beam table's cells typed into key by key, as a user types: what was typed stays in the
// cell, only the beams change.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "OscilloscopeFixture.h"
#include "document/OscEnums.h"

namespace kvaril {
namespace {

class BeamCellTyping : public testing::OscilloscopeFixture {
  protected:
    // Opens the editor of `row` for the selected signals.
    QLineEdit* Open(TBeamRow row) {
        QTableWidget* grid = BeamGrid();
        const int r = static_cast<int>(row);
        grid->setFocus();
        grid->setCurrentCell(r, 1);
        grid->editItem(grid->item(r, 1));
        auto* editor = qobject_cast<QComboBox*>(grid->indexWidget(grid->model()->index(r, 1)));
        EXPECT_NE(editor, nullptr);
        return editor ? editor->lineEdit() : nullptr;
    }
    // Replaces the cell's text by `text` typed key by key; returns the editor's text after each
    // key.
    QStringList Type(TBeamRow row, const QString& text) {
        QLineEdit* edit = Open(row);
        QStringList seen;
        if (!edit) return seen;
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar c : text) {
            // QTest's own typing knows only ASCII keys; a Cyrillic letter comes as its text.
            if (c.unicode() < 128)
                QTest::keyClicks(edit, QString(c));
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), {});
            QApplication::processEvents();
            seen << edit->text();
        }
        return seen;
    }
    // Enter in the open editor.
    void Commit(TBeamRow row) {
        QTableWidget* grid = BeamGrid();
        const int r = static_cast<int>(row);
        auto* editor = qobject_cast<QComboBox*>(grid->indexWidget(grid->model()->index(r, 1)));
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor->lineEdit(), Qt::Key_Return);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Every prefix of `text`, as the editor should show it while it is typed.
    static QStringList Prefixes(const QString& text) {
        QStringList prefixes;
        for (qsizetype n = 1; n <= text.size(); ++n) prefixes << text.left(n);
        return prefixes;
    }
};

// Gain 2, then "0.5" typed: the "0" made the gain automatic, the cell showed "Авто" and ".5"
// was typed behind it, so "Авто" was stored.
TEST_F(BeamCellTyping, AGainTypedOverAnotherIsStoredAsTyped) {
    Select({1});
    View().Beam(1).SetGain(2);
    EXPECT_EQ(Type(TBeamRow::Gain, "0.5"), Prefixes("0.5"));
    Commit(TBeamRow::Gain);
    EXPECT_EQ(View().Beam(1).Gain(), 0.5);
    EXPECT_EQ(BeamGrid()->item(0, 1)->text(), "0.5");
}

// "-" was completed to "-1" from the pick list, so "-0.5" became "-10.5"... and finally +0.5.
TEST_F(BeamCellTyping, ANegativeOffsetIsNotCompletedFromThePickList) {
    Select({1});
    EXPECT_EQ(Type(TBeamRow::Offset, "-0.5"), Prefixes("-0.5"));
    Commit(TBeamRow::Offset);
    EXPECT_EQ(View().Beam(1).Offset(), -0.5);
}

// "1e-11": the cell went back to "1" after "1e", and "1" then "-11"... stored 0.11.
TEST_F(BeamCellTyping, AnExponentSurvivesTheTextsThatAreNoNumberYet) {
    Select({2});
    EXPECT_EQ(Type(TBeamRow::Gain, "1e-11"), Prefixes("1e-11"));
    Commit(TBeamRow::Gain);
    EXPECT_EQ(View().Beam(2).Gain(), 1e-11);
}

TEST_F(BeamCellTyping, WhileTypingTheBeamsFollowTheTextAlready) {
    Select({1});
    Type(TBeamRow::Gain, "3");
    EXPECT_EQ(View().Beam(1).Gain(), 3) << "applied as it is typed";
    Commit(TBeamRow::Gain);
    EXPECT_EQ(View().Beam(1).Gain(), 3);
}

// Enter put the pick list's entry that matched regardless of letter case in place of the text.
TEST_F(BeamCellTyping, EnterAppliesTheTextNotAPickListEntryOfAnotherCase) {
    Select({1});
    View().Beam(1).SetGain(2);
    EXPECT_EQ(Type(TBeamRow::Gain, "авто"), Prefixes("авто"));
    Commit(TBeamRow::Gain);
    EXPECT_EQ(View().Beam(1).Gain(), 2) << "only \"Авто\" is automatic";
}

// The hint of the row stayed in the status line after Escape.
TEST_F(BeamCellTyping, EscapeClearsTheRowsHint) {
    Select({1});
    QLineEdit* edit = Open(TBeamRow::Offset);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Status(), "Смещение, которое будет добавляться к масштабированному значению луча");
    QTest::keyClick(edit, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Status(), "");
}

}  // namespace
}  // namespace kvaril
