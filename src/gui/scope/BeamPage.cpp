#include "scope/BeamPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>

#include "scope/TypedCombo.h"

namespace kvaril {

namespace {

// Set on an editor once it holds the cell's text.
constexpr const char* kFilled = "kvarilFilled";
// The row an editor edits.
constexpr const char* kRow = "kvarilRow";
// What the value table's names keep at least, what they get when the panel widens, and the
// longest number of the usual forms ("%.4g" of a small negative value).
constexpr const char* kNameMinimum = "Луч";
constexpr const char* kNameRoom = "Сигнал";
constexpr const char* kLongNumber = "-0.0001234";

}  // namespace

TBeamCellDelegate::TBeamCellDelegate(const QList<QStringList>& pickLists, QObject* parent)
    : QStyledItemDelegate(parent), pickLists_(pickLists) {
    connect(this, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget* editor, EndEditHint hint) {
                if (hint == RevertModelCache) Q_EMIT Cancelled(editor->property(kRow).toInt());
            });
}

QWidget* TBeamCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
    if (index.column() != 1) return nullptr;
    auto* editor = new QComboBox(parent);
    MakeTypedCombo(editor);
    const int row = index.row();
    editor->setProperty(kRow, row);
    if (row >= 0 && row < pickLists_.size()) editor->addItems(pickLists_[row]);
    Q_EMIT Opened(row);
    connect(editor, &QComboBox::editTextChanged, this,
            [this, row](const QString& text) { Q_EMIT Edited(row, text); });
    return editor;
}

void TBeamCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // Filled once, when it opens. Each applied keystroke changes what the cell shows, and the
    // view would put that into the open editor: "0" of "0.5" showed "Авто" and ".5" went
    // behind it.
    if (editor->property(kFilled).toBool()) return;
    editor->setProperty(kFilled, true);
    auto* combo = static_cast<QComboBox*>(editor);
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(-1);
    combo->setEditText(index.data(Qt::DisplayRole).toString());
}

void TBeamCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                     const QModelIndex& index) const {
    // The table shows what the beams hold; the editor's text was applied as it was typed.
    Q_EMIT Closed(index.row(), static_cast<QComboBox*>(editor)->currentText());
}

TValueGrid::TValueGrid(QWidget* parent) : QWidget(parent) {
    setObjectName("tsValueGrid");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TValueGrid::SetRows(QVector<TRow> rows, const QColor& background, int columns,
                         QStringList titles) {
    rows_ = std::move(rows);
    for (TRow& row : rows_) row.resize(std::max<qsizetype>(row.size(), std::max(columns, 3)));
    titles_ = std::move(titles);
    columns_ = std::max(columns, 3);
    background_ = background;
    ArrangeColumns();
    update();
}

QString TValueGrid::Text(int row, int column) const {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_) return {};
    return rows_[row][column].Text;
}

QColor TValueGrid::Color(int row, int column) const {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_) return {};
    return rows_[row][column].Color;
}

int TValueGrid::ColumnWidth(int column) const { return widths_.value(column); }

int TValueGrid::WidthFor(int numbers) const {
    const QFontMetrics metrics = fontMetrics();
    const int columns = numbers + 2;
    return 16 + metrics.horizontalAdvance(kNameRoom) + 5 +
           numbers * (metrics.horizontalAdvance(kLongNumber) + 5) + columns;
}

void TValueGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ArrangeColumns();
}

void TValueGrid::ArrangeColumns() {
    const int w = width();
    constexpr int c0 = 16;
    widths_.fill(0, columns_);
    widths_[0] = c0;
    if (columns_ == 3) {
        widths_[1] = (w - 16) / 2 - 2;
        widths_[2] = w - widths_[1] - c0 - 7;
        return;
    }
    // Shared alike, the numbers lost their last digits beside a marker's two columns: each
    // number column gets what its widest text needs (each column has a one-pixel line).
    const QFontMetrics metrics = fontMetrics();
    QVector<int> need(columns_, 0);
    int numbers = 0;
    for (int c = 2; c < columns_; ++c) {
        int widest = metrics.horizontalAdvance(titles_.value(c));
        for (const auto& row : rows_)
            widest = std::max(widest, metrics.horizontalAdvance(row[c].Text));
        need[c] = widest + 5;
        numbers += need[c];
    }
    const int room = w - c0 - columns_;
    // The names keep a few letters; without room for those the numbers share what is left.
    const int nameMinimum =
        std::min(metrics.horizontalAdvance(kNameMinimum) + 5, room / (columns_ - 1));
    if (room - numbers >= nameMinimum) {
        for (int c = 2; c < columns_; ++c) widths_[c] = need[c];
        widths_[1] = room - numbers;
        return;
    }
    widths_[1] = nameMinimum;
    int left = room - nameMinimum;
    for (int c = 2; c < columns_; ++c) {
        widths_[c] =
            c == columns_ - 1 ? left : need[c] * (room - nameMinimum) / std::max(1, numbers);
        left -= widths_[c];
    }
}

void TValueGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    constexpr int kRowHeight = 18;
    // The titles in the window's own colours, so they never pass for a beam's values.
    const int top = titles_.isEmpty() ? 0 : kRowHeight;
    if (!titles_.isEmpty()) {
        int x = 0;
        for (int c = 0; c < columns_; ++c) {
            const int w = ColumnWidth(c);
            const QRect cell(x, 0, w, kRowHeight);
            p.fillRect(cell, palette().color(QPalette::Button));
            p.setPen(QColor(128, 128, 128));
            p.drawRect(cell);
            p.setPen(palette().color(QPalette::ButtonText));
            p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       titles_.value(c));
            x += w + 1;
        }
    }
    for (int r = 0; r < rows_.size(); ++r) {
        int x = 0;
        for (int c = 0; c < columns_; ++c) {
            const int w = ColumnWidth(c);
            const QRect cell(x, top + r * kRowHeight, w, kRowHeight);
            const TValueGridCell& v = rows_[r][c];
            p.setPen(QColor(128, 128, 128));
            p.drawRect(cell);
            p.setPen(v.Color);
            const QRect inside = cell.adjusted(2, 0, -2, 0);
            const QString text =
                c == 1 ? p.fontMetrics().elidedText(v.Text, Qt::ElideRight, inside.width())
                       : v.Text;
            p.drawText(inside, Qt::AlignVCenter | Qt::AlignLeft, text);
            x += w + 1;
        }
    }
}

}  // namespace kvaril
