#include "ui/FrmOperators.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/QtText.h"

namespace kvaril {

TfrmOperators::TfrmOperators(QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint) {
    setObjectName("frmOperators");
    resize(227, 73);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    lstOp = new QTreeWidget(this);
    lstOp->setObjectName("lstOp");
    lstOp->setColumnCount(3);
    lstOp->setHeaderLabels({"Имя", "Комментарий", "Метастрока"});
    lstOp->header()->hide();
    lstOp->header()->setStretchLastSection(false);  // the metastring column stays 1 pixel wide
    lstOp->setRootIsDecorated(false);
    lstOp->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstOp->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstOp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = lstOp->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 208));
    lstOp->setPalette(palette);
    lstOp->setStyleSheet(
        "QTreeWidget::item { border-bottom: 1px solid #d8d8b0; }"
        "QTreeWidget::item:selected { background: #000080; color: white; }");
    layout->addWidget(lstOp);
    lstOp->installEventFilter(this);
    connect(lstOp, &QTreeWidget::itemClicked, this, [this] { accept(); });
}

int TfrmOperators::ContentWidth(int column) {
    lstOp->resizeColumnToContents(column);
    return lstOp->columnWidth(column);
}

void TfrmOperators::Fill(const TSignals& signals) {
    templates_ = OperatorTemplates(signals, CurrentSignal);
    lstOp->clear();
    for (const TOperatorTemplate& t : templates_)
        new QTreeWidgetItem(lstOp, {FromCp1251(t.Name), FromCp1251(t.Comment), FromCp1251(t.Meta)});
    // The pop-up is 227 x 73 at the least, and larger where this platform's font needs it:
    // every name and comment whole, and five whole rows.
    const int frame = 2 * lstOp->frameWidth();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QFontMetrics metrics(lstOp->font());
    int nameWidth = 0, commentWidth = 0;
    for (const TOperatorTemplate& t : templates_) {
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(FromCp1251(t.Name)));
        commentWidth = std::max(commentWidth, metrics.horizontalAdvance(FromCp1251(t.Comment)));
    }
    constexpr int kPadding = 12;
    // The view's own measure of a cell (its margins and the item style included) where that is
    // more than the text and a padding.
    nameWidth = std::max(nameWidth + kPadding, ContentWidth(0));
    commentWidth = std::max(commentWidth + kPadding, ContentWidth(1));
    const int client = std::max({227 - frame, 2 * nameWidth, 2 * (commentWidth + scrollBar)});
    const int row = lstOp->topLevelItemCount() > 0 ? lstOp->sizeHintForRow(0) : 0;
    resize(client + frame, std::max(73, 5 * row + frame));
    // Each time it is shown: half the client width for the names, the rest but a scroll bar for
    // the comments.
    lstOp->setColumnWidth(0, client / 2);
    lstOp->setColumnWidth(1, client - client / 2 - scrollBar);
    lstOp->setColumnWidth(2, 1);
    if (lstOp->topLevelItemCount() > 0) lstOp->setCurrentItem(lstOp->topLevelItem(0));
}

int TfrmOperators::Choose(const TSignals& signals, int currentSignal, int insertColumn,
                          QPoint pos) {
    CurrentSignal = currentSignal;
    InsertColumn = insertColumn;
    Fill(signals);
    if (QScreen* screen = QApplication::screenAt(pos) ? QApplication::screenAt(pos)
                                                      : QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        if (pos.x() + width() > area.right() + 1) pos.setX(area.right() + 1 - width());
        if (pos.y() + height() > area.bottom() + 1) pos.setY(area.bottom() + 1 - height());
    }
    move(pos);
    lstOp->setFocus();
    return exec();
}

TExpansion TfrmOperators::Expanded() const {
    const int row = lstOp->indexOfTopLevelItem(lstOp->currentItem());
    if (row < 0 || row >= static_cast<int>(templates_.size()) ||
        !lstOp->currentItem()->isSelected())
        return {};
    return ExpandTemplate(templates_[static_cast<size_t>(row)].Meta, InsertColumn);
}

bool TfrmOperators::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstOp && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) accept();
        if (key->key() == Qt::Key_Escape) reject();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kvaril
