#include "osc/StatsPage.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/QtText.h"

namespace kvaril {

TStatsPage::TStatsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsStats");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel("Интервал:", this);
    span_ = new QComboBox(this);
    span_->setObjectName("cbStatsSpan");
    span_->setEditable(true);
    span_->setInsertPolicy(QComboBox::NoInsert);
    span_->setToolTip("Окно - весь показанный интервал; m1..m2 - между двумя метками");
    caption->setBuddy(span_);
    row->addWidget(caption);
    row->addWidget(span_, 1);
    layout->addLayout(row);
    grid_ = new QTableWidget(0, kStatsColumnCount, this);
    grid_->setObjectName("tsStatsGrid");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QStringList captions;
    for (int c = 0; c < kStatsColumnCount; ++c)
        captions << FromUtf8(StatsColumnCaption(static_cast<TStatsColumn>(c)));
    grid_->setHorizontalHeaderLabels(captions);
    layout->addWidget(grid_, 1);
    // Each typed character or picked pair measures at once, so a typo shows as "the window".
    connect(span_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { Q_EMIT SpanEdited(text); });
}

void TStatsPage::Show(const std::vector<TStatsRow>& rows, const std::vector<QColor>& colors,
                      const QColor& background, const std::vector<std::string>& suggestions,
                      const QString& span, bool spanOk) {
    {
        const QSignalBlocker quiet(span_);
        QStringList items;
        for (const std::string& s : suggestions) items << FromUtf8(s);
        QStringList had;
        for (int i = 0; i < span_->count(); ++i) had << span_->itemText(i);
        if (had != items) {
            const int cursor = span_->lineEdit()->cursorPosition();
            span_->clear();
            span_->addItems(items);
            span_->setEditText(span);
            span_->lineEdit()->setCursorPosition(cursor);
        } else if (span_->currentText() != span) {
            span_->setEditText(span);
        }
    }
    span_->lineEdit()->setStyleSheet(spanOk ? QString() : QStringLiteral("color: #b00000"));
    grid_->setRowCount(static_cast<int>(rows.size()));
    QPalette palette = grid_->palette();
    palette.setColor(QPalette::Base, background);
    grid_->setPalette(palette);
    QStringList names;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TStatsRow& row = rows[static_cast<size_t>(r)];
        names << FromUtf8(row.Name);
        const QColor color = row.ColorIndex >= 0 && row.ColorIndex < static_cast<int>(colors.size())
                                 ? colors[static_cast<size_t>(row.ColorIndex)]
                                 : QColor(Qt::black);
        for (int c = 0; c < kStatsColumnCount; ++c) {
            QTableWidgetItem* item = grid_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grid_->setItem(r, c, item);
            }
            const QString text = FromUtf8(row.Cells[c]);
            if (item->text() != text) item->setText(text);
            item->setForeground(color);
        }
    }
    grid_->setVerticalHeaderLabels(names);
}

}  // namespace kvaril
