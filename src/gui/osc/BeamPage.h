#pragma once
// The control panel's pages: the beam table's editor ("Лучи") and the value table
// ("Значения").

#include <QColor>
#include <QList>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QVector>
#include <QWidget>
#include <array>

namespace kvaril {

// The beam table's editor: an editable pick list whose every change is reported.
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

  private:
    QList<QStringList> pickLists_;
};

struct TValueGridCell {
    QString Text;
    QColor Color;
};

// The value table: drawn entirely here, in the beams' colours on the scheme's background. Its
// three classic columns (group, name, value) gain two while a reference marker is measured
// from: the value at the marker and the difference.
inline constexpr int kValueGridColumns = 5;
using TValueGridRow = std::array<TValueGridCell, kValueGridColumns>;

class TValueGrid : public QWidget {
    Q_OBJECT
  public:
    explicit TValueGrid(QWidget* parent);

    void SetRows(QVector<TValueGridRow> rows, const QColor& background, bool withDelta = false);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return withDelta_ ? kValueGridColumns : 3; }
    QString Text(int row, int column) const;
    int ColumnWidth(int column) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QVector<TValueGridRow> rows_;
    bool withDelta_ = false;
    QColor background_{192, 192, 192};
};

}  // namespace kvaril
