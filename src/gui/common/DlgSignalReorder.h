#pragma once
// The reorder dialog: the signal names in a list that can be rearranged with Up and Down or
// by dragging; OK applies the order.

#include <QDialog>
#include <QListWidget>
#include <vector>

class QPushButton;

namespace kvaril {

class TSignal;
class TSignals;

// A list whose items move by dragging: a drop on an item moves the dragged one there, a drop
// below the last item moves it to the end.
class TSignalList : public QListWidget {
    Q_OBJECT
  public:
    explicit TSignalList(QWidget* parent);
    // Moves item `from` to `to` (or to the end when `to` is -1) and selects it.
    void MoveItem(int from, int to);
    // Remembers `row` as the item being dragged (done when a drag starts).
    void BeginDrag(int row) { dragged_ = row; }
    // The drop of the remembered item at `pos` (viewport coordinates); false without one.
    bool DropAt(const QPoint& pos);

  Q_SIGNALS:
    void ItemsMoved();

  protected:
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    int dragged_ = -1;
};

class TDlgSignalReorder : public QDialog {
    Q_OBJECT
  public:
    TDlgSignalReorder(QWidget* parent, TSignals& signals);

    TSignalList* lstSignals;
    QPushButton* btnUp;
    QPushButton* btnDown;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    void UpdateButtons();

  private:
    void btnUpClick();
    void btnDownClick();
    void btnOkClick();

    TSignals& signals_;
    // Items carry the signal objects themselves, so same-named signals keep their identity.
    std::vector<TSignal*> original_;
};

}  // namespace kvaril
