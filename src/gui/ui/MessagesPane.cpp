#include "ui/MessagesPane.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kvaril {

namespace {

enum TColumn { kSignal, kLine, kColumn, kText };

// Where a row's place is kept: the signal's index, line and column.
constexpr int kIndexRole = Qt::UserRole, kLineRole = Qt::UserRole + 1,
              kColumnRole = Qt::UserRole + 2;

}  // namespace

TMessagesPane::TMessagesPane(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlMessages");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(new QLabel("Сообщения", this));
    list_ = new QTreeWidget(this);
    list_->setObjectName("lvMessages");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({"Сигнал", "Строка", "Столбец", "Сообщение"});
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setMaximumHeight(list_->fontMetrics().height() * 7);
    layout->addWidget(list_);
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    hide();
}

void TMessagesPane::Clear() {
    list_->clear();
    hide();
}

void TMessagesPane::Add(const QString& signal, const std::optional<TSourceLocation>& place,
                        const QString& text) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(kSignal, signal);
    // A message over several lines reads as one row; the tooltip keeps it whole.
    item->setText(kText, QString(text).replace('\n', "; "));
    item->setToolTip(kText, text);
    if (place) {
        item->setText(kLine, QString::number(place->Line));
        item->setText(kColumn, QString::number(place->Column));
        item->setData(kSignal, kIndexRole, place->SignalIndex);
        item->setData(kSignal, kLineRole, place->Line);
        item->setData(kSignal, kColumnRole, place->Column);
    }
    show();
}

int TMessagesPane::Count() const { return list_->topLevelItemCount(); }

void TMessagesPane::Choose(QTreeWidgetItem* item) {
    const QVariant index = item->data(kSignal, kIndexRole);
    if (!index.isValid()) return;
    Q_EMIT PlaceChosen(index.toInt(), item->data(kSignal, kLineRole).toInt(),
                       item->data(kSignal, kColumnRole).toInt());
}

}  // namespace kvaril
