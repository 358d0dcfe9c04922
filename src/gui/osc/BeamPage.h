#pragma once
// The control panel's pages: the signal list with the beam table ("Лучи") and the value table
// ("Значения").

#include <QListWidget>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QWidget>
#include <functional>
#include <set>

class QLabel;

namespace kvaril {

// The beam table's editor: an editable pick list whose every change is reported.
class TBeamCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    std::function<QStringList(int row)> PickList;
    std::function<void(int row)> OnOpen;
    std::function<void(int row, const QString& text)> OnText;
    std::function<void(int row, const QString& text)> OnClose;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override;
};

// The value table: drawn entirely here, in the beams' colours on the scheme's background.
class TValueGrid : public QWidget {
    Q_OBJECT
  public:
    explicit TValueGrid(QWidget* parent);
    int RowCount = 0;
    QColor Background{192, 192, 192};
    // Text and colour of a cell.
    std::function<std::pair<QString, QColor>(int row, int column)> Cell;
    int ColumnWidth(int column) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kvaril
