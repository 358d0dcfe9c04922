// The oscilloscope window's measuring lines: the A/B cursors ("Вид → Курсоры A/B", key C) with
// their readout above the traces, and the marker lines ("Вид → Линии меток") with the markers'
// times in a tooltip on the strip. Both are the user's choices, kept in the settings and off at
// first; every rule (placing, snapping, keys, the readout) is the session's (TOscCursors).

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uBeam.h"
#include "osc/OscSession.h"
#include "osc/OscTime.h"
#include "scope/FrmOsc.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"

namespace kvaril {

namespace {

// How near a cursor line the pointer takes hold of it, in columns.
constexpr int kCursorReach = 4;

// The speed bar's pictures: two solid lines (the cursors) or dashed ones (the marker lines).
QIcon LinesIcon(bool dashed) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QPen pen(ToQColor(kMarkLineColor), 2, dashed ? Qt::DashLine : Qt::SolidLine);
    p.setPen(pen);
    p.drawLine(6, 2, 6, 18);
    p.drawLine(14, 2, 14, 18);
    if (!dashed) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(6, 10, 14, 10);
    }
    p.end();
    return QIcon(pixmap);
}

QMenu* ViewMenu(QMenuBar* bar) {
    for (QAction* a : bar->actions())
        if (a->menu() && a->text() == "&Вид") return a->menu();
    return nullptr;
}

}  // namespace

void TFormOsc::CreateCursorActions() {
    actCursors_ = new QAction("&Курсоры A/B", this);
    actCursors_->setObjectName("actCursors");
    actCursors_->setCheckable(true);
    actCursors_->setShortcut(QKeySequence("C"));
    actCursors_->setStatusTip(
        "Два курсора A и B поверх лучей: время, Δt, 1/Δt и значения лучей в них");
    actCursors_->setToolTip("Курсоры A/B (C)");
    actCursors_->setIcon(LinesIcon(false));
    actMarkerLines_ = new QAction("&Линии меток", this);
    actMarkerLines_->setObjectName("actMarkerLines");
    actMarkerLines_->setCheckable(true);
    actMarkerLines_->setStatusTip(
        "Пунктирная линия под каждой меткой; метку можно перетащить за ее имя");
    actMarkerLines_->setToolTip("Линии меток");
    actMarkerLines_->setIcon(LinesIcon(true));
    if (QMenu* view = ViewMenu(menuBar())) {
        view->addSeparator();
        view->addActions({actCursors_, actMarkerLines_});
    }
    if (auto* speedBar = findChild<QToolBar*>("SpeedBar")) {
        speedBar->addSeparator();
        speedBar->addActions({actCursors_, actMarkerLines_});
    }

    // The readout: a strip between the label strip and the traces, only while the cursors show.
    pnlCursors_ = new QLabel(screenArea_);
    pnlCursors_->setObjectName("pnlCursors");
    pnlCursors_->setTextFormat(Qt::RichText);
    pnlCursors_->setAutoFillBackground(true);
    pnlCursors_->setContentsMargins(4, 1, 4, 1);
    pnlCursors_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pnlCursors_->hide();
    if (auto* layout = qobject_cast<QVBoxLayout*>(screenArea_->layout()))
        layout->insertWidget(layout->indexOf(pbGraph_), pnlCursors_);

    actCursors_->setChecked(ReadSetting(settings::kOscCursors));
    actMarkerLines_->setChecked(ReadSetting(settings::kOscMarkerLines));
    session_->ShowCursorPair(actCursors_->isChecked());
    session_->SetMarkerLines(actMarkerLines_->isChecked());
    connect(actCursors_, &QAction::toggled, this, [this](bool on) {
        WriteSetting(settings::kOscCursors, on);
        Act("QAction", [this, on] { session_->ShowCursorPair(on); });
    });
    connect(actMarkerLines_, &QAction::toggled, this, [this](bool on) {
        WriteSetting(settings::kOscMarkerLines, on);
        Act("QAction", [this, on] { session_->SetMarkerLines(on); });
    });
    pbGraph_->setMouseTracking(true);     // the pointer's shape near a cursor line
    pbLabels_->installEventFilter(this);  // the markers' tooltips, see MarkerToolTip
}

int TFormOsc::MarkWidth() const { return pbLabels_->fontMetrics().horizontalAdvance("MM"); }

void TFormOsc::RefreshMarkLines() {
    const TOscCursors& cursors = session_->Cursors();
    pbGraph_->SetMarkLines(cursors.MarkLines());
    const bool shown = cursors.CursorPairShown() && session_->Current() != nullptr;
    if (shown) {
        const TCursorReadout r = cursors.Readout(session_->References().Sweep());
        // One row of times, then one per beam: its values at A and B and their difference.
        QString html = "<table cellspacing=0 cellpadding=0><tr><td colspan=4><b>" +
                       FromUtf8(r.Header()).toHtmlEscaped().replace("   ", "&nbsp;&nbsp;&nbsp;") +
                       "</b></td></tr>";
        if (!r.Rows.empty())
            html +=
                "<tr><td></td><td align=right>&nbsp;&nbsp;A</td>"
                "<td align=right>&nbsp;&nbsp;B</td><td align=right>&nbsp;&nbsp;B − A</td></tr>";
        for (const TCursorBeamRow& row : r.Rows)
            html += "<tr><td>" + FromUtf8(row.Name).toHtmlEscaped() +
                    "</td><td align=right>&nbsp;&nbsp;" + FromUtf8(row.A).toHtmlEscaped() +
                    "</td><td align=right>&nbsp;&nbsp;" + FromUtf8(row.B).toHtmlEscaped() +
                    "</td><td align=right>&nbsp;&nbsp;" + FromUtf8(row.Delta).toHtmlEscaped() +
                    "</td></tr>";
        html += "</table>";
        if (pnlCursors_->text() != html) pnlCursors_->setText(html);
    }
    if (pnlCursors_->isVisibleTo(screenArea_) != shown) pnlCursors_->setVisible(shown);
}

bool TFormOsc::CursorKey(const QKeyEvent& event) {
    if (!session_->Cursors().CursorPairShown()) return false;
    const bool ten = event.modifiers() & Qt::ShiftModifier;
    switch (event.key()) {
        case Qt::Key_Left:
            session_->StepCursor(ten ? TCursorStep::LeftTen : TCursorStep::Left);
            break;
        case Qt::Key_Right:
            session_->StepCursor(ten ? TCursorStep::RightTen : TCursorStep::Right);
            break;
        case Qt::Key_Home:
            session_->StepCursor(TCursorStep::Home);
            break;
        case Qt::Key_End:
            session_->StepCursor(TCursorStep::End);
            break;
        case Qt::Key_A:
        case 0x0424:  // Ф: the same key on a Russian layout
            session_->SetActiveCursor(0);
            break;
        case Qt::Key_B:
        case 0x0418:  // И
            session_->SetActiveCursor(1);
            break;
        default:
            return false;
    }
    RefreshMarkLines();
    return true;
}

bool TFormOsc::PressCursorLine(int x) {
    if (!session_->PressCursor(x, kCursorReach)) return false;
    pbGraph_->setFocus();
    RefreshMarkLines();
    return true;
}

bool TFormOsc::MoveCursorLine(int x) {
    const TOscCursors& cursors = session_->Cursors();
    if (cursors.DraggingCursor()) {
        const bool extremum = pbGraph_->MouseModifiers() & Qt::ControlModifier;
        session_->MoveCursor(x, extremum);
        RefreshMarkLines();
        return true;
    }
    const bool near = cursors.CursorNear(x, kCursorReach) >= 0;
    pbGraph_->setCursor(near ? Qt::SplitHCursor : Qt::CrossCursor);
    return false;
}

bool TFormOsc::ReleaseCursorLine() {
    if (!session_->Cursors().DraggingCursor()) return false;
    session_->ReleaseCursor();
    RefreshMarkLines();
    return true;
}

bool TFormOsc::MarkerToolTip(QEvent* event) {
    const TView* view = session_->Current();
    if (!session_->Cursors().MarkerLines() || !view) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const int i = session_->Cursors().MarkerAt(help->pos().x(), MarkWidth());
    if (i < 0) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const QString text =
        FromUtf8(MarkerName(i)) + ": " +
        FromUtf8(FormatOscTime(workbench_.Signals.QuantTime(), view->TimeLabel(i).Time())) + " с";
    QToolTip::showText(help->globalPos(), text, pbLabels_);
    return true;
}

}  // namespace kvaril
