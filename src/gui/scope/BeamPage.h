#pragma once
// The control panel's pages: the beam table's editor ("Лучи") and the value table
// ("Значения").

#include <QColor>
#include <QList>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QVector>
#include <QWidget>

namespace kvaril {

// The beam table's editor: an editable pick list whose every change is reported. The text stays
// as the user types it; only the beams follow it.
class TBeamCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    TBeamCellDelegate(const QList<QStringList>& pickLists, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override;

  Q_SIGNALS:
    void Opened(int row) const;
    void Edited(int row, const QString& text) const;
    void Closed(int row, const QString& text) const;
    // Closed with Escape: nothing more is applied.
    void Cancelled(int row) const;

  private:
    QList<QStringList> pickLists_;
};

struct TValueGridCell {
    QString Text;
    QColor Color;
};

// The value table: drawn entirely here, in the beams' colours on the scheme's background. The
// classic three columns share the width by the classic rule; with more, each number column is
// as wide as its widest text and the names take the rest (cut short with "…" when narrow).
class TValueGrid : public QWidget {
    Q_OBJECT
  public:
    explicit TValueGrid(QWidget* parent);

    // Three columns (group, name, value), then two with a reference run's value and difference,
    // and two with the value at a reference marker and the difference from it; or, with a
    // sweep shown, a value per run after the names.
    using TRow = QVector<TValueGridCell>;
    // `titles`, when given, head the columns in a row of their own above the values. A row
    // shorter than `columns` leaves the rest empty.
    void SetRows(QVector<TRow> rows, const QColor& background, int columns = 3,
                 QStringList titles = {});
    int ColumnCount() const { return columns_; }
    QStringList Titles() const { return titles_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    QString Text(int row, int column) const;
    QColor Color(int row, int column) const;  // of the cell's text
    int ColumnWidth(int column) const;
    // The width that shows `numbers` number columns of the usual longest form beside the names.
    int WidthFor(int numbers) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ArrangeColumns();

    QVector<TRow> rows_;
    QVector<int> widths_;
    QStringList titles_;
    int columns_ = 3;
    QColor background_{192, 192, 192};
};

}  // namespace kvaril
