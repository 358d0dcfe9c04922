#include "scope/TimePanel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "scope/TypedCombo.h"

namespace kvaril {

namespace {

constexpr int kLabelWidth = 100;  // each end's text, when there is room
constexpr int kHeight = 23;

}  // namespace

TTimePanel::TTimePanel(QWidget* parent) : QFrame(parent) {
    setObjectName("pnlTime");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    lblTime0_ = new QLabel(this);
    lblTime0_->setObjectName("lblTime0");
    lblTime1_ = new QLabel(this);
    lblTime1_->setObjectName("lblTime1");
    lblTime1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCaption_ = new QLabel(this);
    lblCaption_->setObjectName("lblCaption");
    lblCaption_->setAlignment(Qt::AlignCenter);
    for (QLabel* label : {lblTime0_, lblTime1_, lblCaption_}) {
        label->setTextFormat(Qt::PlainText);  // "< dT : 0.1 >" is no markup
        label->setCursor(Qt::PointingHandCursor);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    edTime_ = new QComboBox(this);
    edTime_->setObjectName("edTime");
    // The suggestions are only offered, never put in on their own.
    MakeTypedCombo(edTime_);
    edTime_->hide();
    edTime_->installEventFilter(this);
    edTime_->lineEdit()->installEventFilter(this);
    connect(edTime_, &QComboBox::editTextChanged, this, &TTimePanel::EntryEdited);
}

int TTimePanel::TextWidth(const QLabel* label) const {
    return label->fontMetrics().horizontalAdvance(label->text()) + 6;
}

QSize TTimePanel::minimumSizeHint() const {
    const int w = TextWidth(lblTime0_) + TextWidth(lblCaption_) + TextWidth(lblTime1_) + 4;
    return {w, kHeight};
}

QSize TTimePanel::sizeHint() const {
    return {std::max(minimumSizeHint().width(), 2 * kLabelWidth + 4 + TextWidth(lblCaption_)),
            kHeight};
}

void TTimePanel::SetTexts(const QString& t0, const QString& caption, const QString& t1) {
    const QSize before = minimumSizeHint();
    lblTime0_->setText(t0);
    lblTime1_->setText(t1);
    lblCaption_->setText(caption);
    if (minimumSizeHint() != before) updateGeometry();
    Arrange();
}

void TTimePanel::SetCaption(const QString& caption) {
    SetTexts(lblTime0_->text(), caption, lblTime1_->text());
}

void TTimePanel::Arrange() {
    // The ends keep their width while the middle has room for its text; below that they
    // shrink to their texts, so that the three never overlap.
    const int h = height() - 3;
    const int inner = width() - 4;
    int w0 = kLabelWidth, w1 = kLabelWidth;
    if (inner - w0 - w1 < TextWidth(lblCaption_)) {
        w0 = std::min(kLabelWidth, TextWidth(lblTime0_));
        w1 = std::min(kLabelWidth, TextWidth(lblTime1_));
    }
    lblTime0_->setGeometry(2, 1, w0, h);
    lblTime1_->setGeometry(width() - 2 - w1, 1, w1, h);
    lblCaption_->setGeometry(2 + w0, 1, std::max(0, inner - w0 - w1), h);
}

void TTimePanel::resizeEvent(QResizeEvent*) {
    Arrange();
    Q_EMIT Resized();
}

void TTimePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int x = event->position().toPoint().x();
    if (x < lblTime0_->geometry().right() + 1)
        Q_EMIT Clicked(TEntryMode::Start);
    else if (x >= lblTime1_->x())
        Q_EMIT Clicked(TEntryMode::End);
    else
        Q_EMIT Clicked(TEntryMode::Length);
}

void TTimePanel::OpenEntry(TEntryMode mode, const QString& text, const QStringList& suggestions) {
    entryMode_ = mode;
    const int h = height() - 3;
    const int w = std::min(kLabelWidth, std::max(0, width() - 4));
    if (mode == TEntryMode::Start)
        edTime_->setGeometry(lblTime0_->x(), 1, w, h);
    else if (mode == TEntryMode::End)
        edTime_->setGeometry(width() - 2 - w, 1, w, h);
    else
        edTime_->setGeometry((width() - w) / 2, 1, w, h);
    const QSignalBlocker quiet(edTime_);
    edTime_->clear();
    edTime_->addItems(suggestions);
    edTime_->setCurrentIndex(-1);
    edTime_->setEditText(text);
    edTime_->show();
    edTime_->setFocus();
    edTime_->lineEdit()->selectAll();
}

void TTimePanel::CloseEntry() {
    if (!edTime_->isVisible()) return;
    const QSignalBlocker quiet(edTime_);
    edTime_->hide();
}

bool TTimePanel::EntryOpen() const { return edTime_->isVisible(); }

QString TTimePanel::EntryText() const { return edTime_->currentText(); }

bool TTimePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (event->type() == QEvent::KeyPress) Q_EMIT EntryDone();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && watched == edTime_->lineEdit() &&
        edTime_->isVisible()) {
        auto* focus = static_cast<QFocusEvent*>(event);
        // Opening the suggestions takes the focus for a moment; that is no commit.
        if (focus->reason() != Qt::PopupFocusReason && !edTime_->view()->isVisible())
            Q_EMIT EntryDone();
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace kvaril
