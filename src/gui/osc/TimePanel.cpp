#include "osc/TimePanel.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace kvaril {

TTimePanel::TTimePanel(QWidget* parent) : QFrame(parent) {
    setObjectName("pnlTime");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedHeight(23);
    setCursor(Qt::PointingHandCursor);
    lblTime0 = new QLabel(this);
    lblTime0->setObjectName("lblTime0");
    lblTime1 = new QLabel(this);
    lblTime1->setObjectName("lblTime1");
    lblTime1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCaption = new QLabel(this);
    lblCaption->setAlignment(Qt::AlignCenter);
    for (QLabel* label : {lblTime0, lblTime1, lblCaption}) {
        label->setTextFormat(Qt::PlainText);  // "< dT : 0.1 >" is no markup
        label->setCursor(Qt::PointingHandCursor);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    edTime = new QComboBox(this);
    edTime->setObjectName("edTime");
    edTime->setEditable(true);
    edTime->setInsertPolicy(QComboBox::NoInsert);
    edTime->hide();
    edTime->installEventFilter(this);
    edTime->lineEdit()->installEventFilter(this);
}

void TTimePanel::resizeEvent(QResizeEvent*) {
    const int h = height() - 3;
    lblTime0->setGeometry(2, 1, 100, h);
    lblTime1->setGeometry(width() - 102, 1, 100, h);
    lblCaption->setGeometry(102, 1, std::max(0, width() - 204), h);
    if (OnResize) OnResize();
}

void TTimePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !OnClick) return;
    const int x = event->position().toPoint().x();
    if (lblTime0->geometry().contains(QPoint(x, lblTime0->y())))
        OnClick(0);
    else if (lblTime1->geometry().contains(QPoint(x, lblTime1->y())))
        OnClick(1);
    else
        OnClick(2);
}

void TTimePanel::OpenEntry(int mode, const QString& text, const QStringList& suggestions) {
    EntryMode = mode;
    const int h = height() - 3;
    const int w = lblTime0->width();
    if (mode == 0)
        edTime->setGeometry(lblTime0->x(), 1, w, h);
    else if (mode == 1)
        edTime->setGeometry(lblTime1->x(), 1, w, h);
    else
        edTime->setGeometry((width() - w) / 2, 1, w, h);
    edTime->clear();
    edTime->addItems(suggestions);
    edTime->setCurrentIndex(-1);
    edTime->setEditText(text);
    edTime->show();
    edTime->setFocus();
    edTime->lineEdit()->selectAll();
}

bool TTimePanel::EntryOpen() const { return edTime->isVisible(); }

bool TTimePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (event->type() == QEvent::KeyPress && OnCommit) OnCommit();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && watched == edTime->lineEdit()) {
        auto* focus = static_cast<QFocusEvent*>(event);
        // Opening the suggestions takes the focus for a moment; that is no commit.
        if (focus->reason() != Qt::PopupFocusReason && !edTime->view()->isVisible() && OnCommit)
            OnCommit();
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace kvaril
