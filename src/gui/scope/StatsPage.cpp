#include "scope/StatsPage.h"

#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/QtText.h"
#include "scope/AnalysisForms.h"

namespace kvaril {

TStatsPage::TStatsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsStats");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel("Интервал:", this);
    span_ = MakeSpanBox(this, "cbStatsSpan",
                        "Окно - весь показанный интервал; m1..m2 - между двумя метками");
    caption->setBuddy(span_);
    row->addWidget(caption);
    row->addWidget(span_, 1);
    layout->addLayout(row);
    // Quantities down, beams across.
    grid_ = new QTableWidget(kStatisticCount, 0, this);
    grid_->setObjectName("tsStatsGrid");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setMinimumSectionSize(16);
    QStringList captions;
    for (int c = 0; c < kStatisticCount; ++c)
        captions << FromUtf8(MeasureInfo(static_cast<TMeasure>(c)).Caption);
    grid_->setVerticalHeaderLabels(captions);
    layout->addWidget(grid_, 1);
    // Each typed character or picked pair measures at once, so a typo shows as "the window".
    connect(span_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { Q_EMIT SpanEdited(text); });
}

void TStatsPage::Show(const std::vector<TStatsRow>& rows, const std::vector<QColor>& colors,
                      const QColor& background, const std::vector<std::string>& suggestions,
                      const QString& span, bool spanOk) {
    ShowSpan(span_, suggestions, span, spanOk);
    grid_->setColumnCount(static_cast<int>(rows.size()));
    QPalette palette = grid_->palette();
    palette.setColor(QPalette::Base, background);
    grid_->setPalette(palette);
    for (int b = 0; b < static_cast<int>(rows.size()); ++b) {
        const TStatsRow& row = rows[static_cast<size_t>(b)];
        // Taken modulo the table, as the traces take BeamColor's; a sweep run's in its own.
        const QColor color = row.OwnColor ? QColor(row.Color.R, row.Color.G, row.Color.B)
                             : colors.empty() || row.ColorIndex < 0
                                 ? QColor(Qt::black)
                                 : colors[static_cast<size_t>(row.ColorIndex) % colors.size()];
        QTableWidgetItem* header = grid_->horizontalHeaderItem(b);
        if (!header) {
            header = new QTableWidgetItem;
            grid_->setHorizontalHeaderItem(b, header);
        }
        if (header->text() != FromUtf8(row.Name)) header->setText(FromUtf8(row.Name));
        // The header keeps the style's own colours, readable whatever the scheme; a swatch of
        // the beam's colour on the scheme's background marks the column.
        if (header->data(Qt::UserRole).value<QColor>() != color ||
            header->data(Qt::UserRole + 1).value<QColor>() != background) {
            QPixmap swatch(10, 10);
            swatch.fill(background);
            QPainter(&swatch).fillRect(2, 2, 6, 6, color);
            header->setIcon(QIcon(swatch));
            header->setData(Qt::UserRole, color);
            header->setData(Qt::UserRole + 1, background);
        }
        for (int c = 0; c < kStatisticCount; ++c) {
            QTableWidgetItem* item = grid_->item(c, b);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grid_->setItem(c, b, item);
            }
            const QString text = FromUtf8(row.Cells[c]);
            if (item->text() != text) item->setText(text);
            item->setForeground(color);
        }
    }
}

int TStatsPage::WantedWidth() const { return TableWantedWidth(this, grid_); }

}  // namespace kvaril
