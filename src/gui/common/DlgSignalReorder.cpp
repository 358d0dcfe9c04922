#include "common/DlgSignalReorder.h"

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Errors.h"
#include "common/Dialogs.h"
#include "common/QtText.h"
#include "document/uSignal.h"

namespace kvaril {

TSignalList::TSignalList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

void TSignalList::MoveItem(int from, int to) {
    if (from < 0 || from >= count()) return;
    QListWidgetItem* item = takeItem(from);
    if (to < 0 || to > count()) to = count();
    insertItem(to, item);
    setCurrentRow(to);
    Q_EMIT ItemsMoved();
}

void TSignalList::startDrag(Qt::DropActions actions) {
    BeginDrag(currentRow());
    QListWidget::startDrag(actions);
    dragged_ = -1;
}

// Only our own drag is remembered, so a remembered item means the drop comes from this list.
void TSignalList::dragEnterEvent(QDragEnterEvent* event) {
    if (dragged_ >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSignalList::dragMoveEvent(QDragMoveEvent* event) {
    if (dragged_ >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSignalList::dropEvent(QDropEvent* event) {
    if (!DropAt(event->position().toPoint())) {
        event->ignore();
        return;
    }
    // The move is ours; Qt's own item move must not run as well.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

bool TSignalList::DropAt(const QPoint& pos) {
    if (dragged_ < 0) return false;
    const QListWidgetItem* target = itemAt(pos);
    const int from = dragged_;
    dragged_ = -1;
    if (!target)
        MoveItem(from, -1);  // below the last item: to the end
    else if (row(target) != from)
        MoveItem(from, row(target));
    else
        Q_EMIT ItemsMoved();
    return true;
}

TDlgSignalReorder::TDlgSignalReorder(QWidget* parent, TSignals& signals)
    : QDialog(parent), signals_(signals) {
    setWindowTitle("Порядок сигналов");
    MakeFixedDialog(this);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    lstSignals = new TSignalList(this);
    for (int i = 0; i < signals.Count(); ++i) {
        original_.push_back(&signals.Items(i));
        auto* item = new QListWidgetItem(FromCp1251(signals.Items(i).Name()), lstSignals);
        item->setData(Qt::UserRole, i);
    }
    top->addWidget(lstSignals, 1);
    auto* side = new QVBoxLayout;
    btnUp = new QPushButton("Вверх", this);
    btnDown = new QPushButton("Вниз", this);
    side->addWidget(btnUp);
    side->addWidget(btnDown);
    side->addStretch();
    top->addLayout(side);
    layout->addLayout(top);

    auto* gbDescription = new QGroupBox(" Описание ", this);
    auto* description = new QVBoxLayout(gbDescription);
    auto* edDescription = new QLabel(
        "Измените порядок следования сигналов с помощью \n"
        "перетаскивания левой кнопкой мышки или с помощью кнопок \n"
        "Вверх и Вниз",
        gbDescription);
    description->addWidget(edDescription);
    layout->addWidget(gbDescription);

    QDialogButtonBox* buttons = AcceptCancelButtons(this, &btnOk, &btnCancel);
    layout->addWidget(buttons);

    connect(btnUp, &QPushButton::clicked, this, &TDlgSignalReorder::btnUpClick);
    connect(btnDown, &QPushButton::clicked, this, &TDlgSignalReorder::btnDownClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TDlgSignalReorder::btnOkClick);
    connect(lstSignals, &QListWidget::itemSelectionChanged, this,
            &TDlgSignalReorder::UpdateButtons);
    connect(lstSignals, &TSignalList::ItemsMoved, this, &TDlgSignalReorder::UpdateButtons);
    if (lstSignals->count() > 0) lstSignals->setCurrentRow(0);
    UpdateButtons();
}

void TDlgSignalReorder::UpdateButtons() {
    const int i = lstSignals->currentRow();
    const bool selected =
        i >= 0 && lstSignals->currentItem() && lstSignals->currentItem()->isSelected();
    btnUp->setEnabled(selected && i != 0);
    btnDown->setEnabled(selected && i < lstSignals->count() - 1);
}

void TDlgSignalReorder::btnUpClick() {
    const int i = lstSignals->currentRow();
    if (i > 0) {
        lstSignals->MoveItem(i, i - 1);
        if (i == 1) btnDown->setFocus();
    }
    UpdateButtons();
}

void TDlgSignalReorder::btnDownClick() {
    const int i = lstSignals->currentRow();
    if (i >= 0 && i < lstSignals->count() - 1) {
        lstSignals->MoveItem(i, i + 1);
        if (i + 2 == lstSignals->count()) btnUp->setFocus();
    }
    UpdateButtons();
}

void TDlgSignalReorder::btnOkClick() {
    for (int i = 0; i < lstSignals->count(); ++i) {
        TSignal* signal = original_[lstSignals->item(i)->data(Qt::UserRole).toUInt()];
        const int from = signals_.IndexOf(signal);
        KV_ASSERT(from >= 0, "uDlgSignalReorder");
        signals_.Move(from, i);
    }
    accept();
}

}  // namespace kvaril
