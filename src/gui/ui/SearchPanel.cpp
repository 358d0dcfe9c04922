#include "ui/SearchPanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kvaril {

TSearchPanel::TSearchPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlSearch");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* left = new QVBoxLayout;
    left->setSpacing(1);
    left->addWidget(new QLabel("Что искать:", this));
    edSearch_ = new QLineEdit(this);
    edSearch_->setObjectName("edSearch");
    left->addWidget(edSearch_);
    auto* right = new QVBoxLayout;
    right->setSpacing(1);
    right->addWidget(new QLabel("На что заменить:", this));
    edReplace_ = new QLineEdit(this);
    edReplace_->setObjectName("edReplace");
    right->addWidget(edReplace_);
    edSearch_->installEventFilter(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
}

QString TSearchPanel::SearchText() const { return edSearch_->text(); }

QString TSearchPanel::ReplaceText() const { return edReplace_->text(); }

void TSearchPanel::StartSearch(const QString& selected) {
    if (!selected.isEmpty() && !selected.contains('\n') && !selected.contains('\r'))
        edSearch_->setText(selected);
    edSearch_->selectAll();
    edSearch_->setFocus();
}

bool TSearchPanel::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the search field finds the next occurrence; Shift+Enter would look backwards,
    // which the panel does not offer, so it does nothing.
    if (watched == edSearch_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!(key->modifiers() & Qt::ShiftModifier)) Q_EMIT FindNextRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kvaril
