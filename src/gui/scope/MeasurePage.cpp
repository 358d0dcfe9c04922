#include "scope/MeasurePage.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/QtText.h"
#include "common/Settings.h"
#include "scope/AnalysisForms.h"

namespace kvaril {

TMeasurePage::TMeasurePage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsMeasures");
    const QString kept = ReadSetting(settings::kOscMeasureKeys);
    chosen_ = kept.isEmpty() ? DefaultMeasures() : MeasuresOfKeys(ToUtf8(kept));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel("Интервал:", this);
    span_ = MakeSpanBox(this, "cbMeasureSpan", "Тот же интервал, что на странице «Статистика»");
    caption->setBuddy(span_);
    row->addWidget(caption);
    row->addWidget(span_, 1);
    choose_ = new QToolButton(this);
    choose_->setObjectName("btMeasureChoose");
    choose_->setText("Меры");
    choose_->setToolTip("Какие измерения показать");
    choose_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(choose_);
    for (TMeasure m : AutomaticMeasures()) {
        QAction* a = menu->addAction(FromUtf8(MeasureInfo(m).Caption));
        a->setCheckable(true);
        a->setChecked(std::find(chosen_.begin(), chosen_.end(), m) != chosen_.end());
        connect(a, &QAction::toggled, this, [this, m](bool on) {
            // The table's order, whatever the order of the clicks.
            std::vector<TMeasure> next;
            for (TMeasure x : AutomaticMeasures())
                if (x == m ? on : std::find(chosen_.begin(), chosen_.end(), x) != chosen_.end())
                    next.push_back(x);
            chosen_ = next;
            WriteSetting(settings::kOscMeasureKeys, FromUtf8(MeasureKeyList(chosen_)));
            Q_EMIT ChoiceChanged();
        });
    }
    menu->addSeparator();
    pairs_ = ReadSetting(settings::kOscMeasurePairs);
    QAction* pairs = menu->addAction("Задержка и фаза от первого луча");
    pairs->setObjectName("actMeasurePairs");
    pairs->setCheckable(true);
    pairs->setChecked(pairs_);
    connect(pairs, &QAction::toggled, this, [this](bool on) {
        pairs_ = on;
        WriteSetting(settings::kOscMeasurePairs, on);
        Q_EMIT ChoiceChanged();
    });
    choose_->setMenu(menu);
    row->addWidget(choose_);
    layout->addLayout(row);
    grid_ = new QTableWidget(0, 0, this);
    grid_->setObjectName("tsMeasureGrid");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(grid_, 1);
    connect(span_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { Q_EMIT SpanEdited(text); });
}

void TMeasurePage::Show(const std::vector<TMeasureColumn>& columns,
                        const std::vector<QColor>& colors, const QColor& background,
                        const std::vector<std::string>& suggestions, const QString& span,
                        bool spanOk) {
    ShowSpan(span_, suggestions, span, spanOk);
    QStringList captions;
    for (TMeasure m : chosen_) captions << FromUtf8(MeasureInfo(m).Caption);
    if (pairs_ && !columns.empty())
        captions << "задержка от " + FromUtf8(columns.front().Name)
                 << "фаза от " + FromUtf8(columns.front().Name);
    grid_->setRowCount(static_cast<int>(captions.size()));
    grid_->setVerticalHeaderLabels(captions);
    grid_->setColumnCount(static_cast<int>(columns.size()));
    QPalette palette = grid_->palette();
    palette.setColor(QPalette::Base, background);
    grid_->setPalette(palette);
    const QColor grey =
        background.lightness() < 100 ? QColor(140, 140, 140) : QColor(110, 110, 110);
    for (int b = 0; b < static_cast<int>(columns.size()); ++b) {
        const TMeasureColumn& c = columns[static_cast<size_t>(b)];
        const QColor color = colors.empty() || c.ColorIndex < 0
                                 ? QColor(Qt::black)
                                 : colors[static_cast<size_t>(c.ColorIndex) % colors.size()];
        auto* header = new QTableWidgetItem(FromUtf8(c.Name));
        header->setForeground(color);
        grid_->setHorizontalHeaderItem(b, header);
        for (int r = 0; r < static_cast<int>(captions.size()); ++r) {
            const bool has = r < static_cast<int>(c.Cells.size());
            const bool reason = has && c.Reasons[static_cast<size_t>(r)];
            auto* item = new QTableWidgetItem(has ? FromUtf8(c.Cells[static_cast<size_t>(r)]) : "");
            item->setTextAlignment((reason ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            item->setForeground(reason ? grey : color);
            if (reason) {
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
                item->setToolTip(item->text());
            }
            grid_->setItem(r, b, item);
        }
    }
}

int TMeasurePage::WantedWidth() const { return TableWantedWidth(this, grid_); }

}  // namespace kvaril
