#include "scope/SweepPage.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/Cp1251.h"
#include "common/QtText.h"
#include "document/uSignal.h"
#include "scope/SweepPlot.h"

namespace kvaril {

namespace {

// The run whose signals name the choices: every run has the same.
const TSignals* SignalsOf(const TSweepShown* sweep) {
    if (!sweep) return nullptr;
    for (const TSweepRun& r : sweep->Result.Runs)
        if (r.Ok() && r.Signals) return r.Signals.get();
    return nullptr;
}

}  // namespace

TSweepPage::TSweepPage(QWidget* parent)
    : QWidget(parent), analyzer_(std::make_unique<TSpectrumAnalyzer>()) {
    setObjectName("tsSweep");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(2);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto combo = [this](const char* name, const QString& tip) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setToolTip(tip);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(8);
        return box;
    };
    cbSignal_ = combo("cbSweepSignal", "Сигнал, который измеряется в каждом прогоне");
    cbMeasure_ = combo("cbSweepMeasure",
                       "Что измеряется: величина со страницы статистики, наибольший пик "
                       "спектра (окно Ханна) или автоматическое измерение");
    for (int q = 0; q < MeasureCount(); ++q)
        cbMeasure_->addItem(FromUtf8(std::string(MeasureInfo(static_cast<TMeasure>(q)).Caption)));
    cbMeasure_->setCurrentIndex(static_cast<int>(TMeasure::Rms));
    cbInterval_ = combo("cbSweepInterval", "Интервал времени, одинаковый для всех прогонов");
    form->addRow("Сигнал:", cbSignal_);
    form->addRow("Мера:", cbMeasure_);
    form->addRow("Интервал:", cbInterval_);
    layout->addLayout(form);
    lbNote_ = new QLabel(this);
    lbNote_->setObjectName("lbSweepNote");
    lbNote_->setWordWrap(true);
    lbNote_->hide();
    layout->addWidget(lbNote_);
    grid_ = new QTableWidget(0, 0, this);
    grid_->setObjectName("tsSweepGrid");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(grid_, 2);
    plot_ = new TSweepPlot(this);
    layout->addWidget(plot_, 3);
    btCopy_ = new QPushButton("Копировать таблицу", this);
    btCopy_->setObjectName("btSweepCopy");
    btCopy_->setToolTip("Таблица в буфер обмена, через табуляцию: для электронной таблицы");
    layout->addWidget(btCopy_);

    for (QComboBox* box : {cbSignal_, cbMeasure_, cbInterval_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { Measure(); });
    connect(btCopy_, &QPushButton::clicked, this, [this] { Copy(); });
}

TSweepPage::~TSweepPage() = default;

void TSweepPage::Show(const TSweepShownPtr& sweep, const std::vector<TSpectrumInterval>& intervals,
                      int signal, const QColor& color, TColorScheme scheme) {
    const bool another = sweep.get() != sweep_.get();
    if (another) shown_ = {};
    sweep_ = sweep;
    intervals_ = intervals;
    color_ = color;
    scheme_ = scheme;
    if (another || cbSignal_->count() == 0) FillSignals(signal);
    FillIntervals();
    if (!sweep_) {
        table_ = {};
        FillTable();
        return;
    }
    Measure();
}

void TSweepPage::FillSignals(int signal) {
    const QSignalBlocker quiet(cbSignal_);
    const QString had = cbSignal_->currentText();
    cbSignal_->clear();
    if (const TSignals* signals = SignalsOf(sweep_.get()))
        for (int s = 0; s < signals->Count(); ++s)
            cbSignal_->addItem(FromUtf8(Cp1251ToUtf8(signals->Items(s).Name())));
    // The signal measured before, if the runs have it; else the oscilloscope's.
    const int again = had.isEmpty() ? -1 : cbSignal_->findText(had);
    if (cbSignal_->count() > 0)
        cbSignal_->setCurrentIndex(again >= 0 ? again
                                              : std::clamp(signal, 0, cbSignal_->count() - 1));
}

void TSweepPage::FillIntervals() {
    const QSignalBlocker quiet(cbInterval_);
    const QString had = cbInterval_->currentData().toString();
    cbInterval_->clear();
    auto* model = qobject_cast<QStandardItemModel*>(cbInterval_->model());
    int chosen = 0;
    for (const TSpectrumInterval& i : intervals_) {
        const QString caption = FromUtf8(i.Caption);
        cbInterval_->addItem(i.Available ? caption : caption + " (нет курсоров)", caption);
        if (!i.Available && model) model->item(cbInterval_->count() - 1)->setEnabled(false);
        if (i.Available && caption == had) chosen = cbInterval_->count() - 1;
    }
    cbInterval_->setCurrentIndex(intervals_.empty() ? -1 : chosen);
}

QString TSweepPage::Caption() const { return cbMeasure_->currentText(); }

void TSweepPage::Measure() {
    TKey key;
    key.Sweep = sweep_.get();
    key.Measure.Signal = cbSignal_->currentIndex();
    key.Measure.Quantity = static_cast<TMeasure>(std::max(0, cbMeasure_->currentIndex()));
    const int interval = cbInterval_->currentIndex();
    if (interval >= 0 && interval < static_cast<int>(intervals_.size())) {
        key.Measure.T0 = intervals_[static_cast<size_t>(interval)].T0;
        key.Measure.T1 = intervals_[static_cast<size_t>(interval)].T1;
    }
    if (!isVisible() || key == shown_) return;  // measured when it is looked at
    shown_ = key;
    table_ = sweep_ ? MeasureSweep(*analyzer_, *sweep_, key.Measure) : TSweepTable{};
    FillTable();
}

void TSweepPage::FillTable() {
    const int parameters = static_cast<int>(table_.Names.size());
    grid_->setColumnCount(parameters + 1);
    QStringList headers;
    for (const std::string& name : table_.Names) headers << FromUtf8(name);
    headers << Caption();
    grid_->setHorizontalHeaderLabels(headers);
    grid_->setRowCount(static_cast<int>(table_.Rows.size()));
    const double q = SignalsOf(sweep_.get()) ? SignalsOf(sweep_.get())->QuantTime() : 0;
    const TMeasure quantity = shown_.Measure.Quantity;
    int failed = 0;
    for (int r = 0; r < static_cast<int>(table_.Rows.size()); ++r) {
        const TSweepPoint& p = table_.Rows[static_cast<size_t>(r)];
        failed += !p.Ok;
        QStringList cells;
        for (double v : p.Values) cells << FromUtf8(SweepLiteral(v));
        cells << FromUtf8(SweepMeasureText(quantity, p, q));
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = grid_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grid_->setItem(r, c, item);
            }
            item->setText(cells[c]);
            item->setForeground(p.Ok ? QBrush() : QBrush(QColor(176, 0, 0)));
        }
    }
    lbNote_->setText(failed ? QString("Прогонов с ошибкой: %1 (без меры)").arg(failed) : QString());
    lbNote_->setVisible(failed > 0);
    btCopy_->setEnabled(!table_.Rows.empty());
    plot_->SetCurves(SweepCurves(sweep_ ? sweep_->Sweep : TSweep{}, table_), table_.LogX,
                     table_.LogY, headers.value(0), Caption(), color_, scheme_);
}

void TSweepPage::Copy() const {
    QApplication::clipboard()->setText(FromUtf8(SweepTableText(table_, ToUtf8(Caption()))));
}

int TSweepPage::WantedWidth() const {
    grid_->resizeColumnsToContents();
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < grid_->columnCount(); ++c) width += grid_->columnWidth(c);
    const QMargins margins = layout()->contentsMargins();
    return std::max(width, plot_->minimumWidth()) + margins.left() + margins.right() + 2;
}

}  // namespace kvaril
