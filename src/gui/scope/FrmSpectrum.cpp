#include "scope/FrmSpectrum.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "document/uSignal.h"
#include "osc/OscTime.h"
#include "osc/SweepSpectra.h"
#include "plot/Ticks.h"
#include "scope/AnalysisForms.h"
#include "scope/OscPainter.h"
#include "scope/SpectrumPlot.h"
#include "scope/SweepPlot.h"

namespace kvaril {

namespace {

const struct {
    const char* Caption;
    TSpectrumWindow Window;
} kWindows[] = {{"Прямоугольное", TSpectrumWindow::Rectangular},
                {"Ханна", TSpectrumWindow::Hann},
                {"Хэмминга", TSpectrumWindow::Hamming},
                {"Блэкмана-Харриса", TSpectrumWindow::BlackmanHarris}};

QComboBox* Choice(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QString Text(const std::string& utf8) { return FromUtf8(utf8); }

// A frequency as the range fields show it: enough digits for a thousandth of the range.
QString FieldText(double f, double span) {
    return Text(EngineeringTickText(f, std::max(span / 1000, 1e-12)));
}

enum TPeakColumn { kBeamColumn, kRankColumn, kFrequencyColumn, kAmplitudeColumn, kLevelColumn };

}  // namespace

TFormSpectrum::TFormSpectrum(const TSignals& signals, QWidget* owner)
    : QWidget(owner, Qt::Window),
      signals_(signals),
      analyzer_(std::make_unique<TSpectrumAnalyzer>()) {
    setObjectName("FormSpectrum");
    setWindowTitle("Kvaril - Спектр");
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    auto label = [this](const char* caption, QWidget* buddy, QHBoxLayout* row) {
        AddLabelled(this, caption, buddy, row);
    };

    // What is computed: over which interval, with which window, on which axes.
    auto* options = new QHBoxLayout;
    cbInterval_ = Choice(this, "cbSpectrumInterval", {});
    cbInterval_->setToolTip("Интервал времени, по которому считается спектр");
    cbInterval_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QStringList windows;
    for (const auto& w : kWindows) windows << w.Caption;
    cbWindow_ = Choice(this, "cbSpectrumWindow", windows);
    cbWindow_->setCurrentIndex(1);  // Hann, as on the command line
    cbAmplitude_ = Choice(this, "cbSpectrumAmplitude", {"Линейная", "дБ"});
    cbFrequency_ = Choice(this, "cbSpectrumFrequency", {"Линейная", "Логарифмическая"});
    label("&Интервал:", cbInterval_, options);
    label("&Окно:", cbWindow_, options);
    label("&Амплитуда:", cbAmplitude_, options);
    label("&Частота:", cbFrequency_, options);
    options->addStretch();
    layout->addLayout(options);

    // What is shown: the frequency range and the peak table's rule.
    auto* view = new QHBoxLayout;
    edFrom_ = new QLineEdit(this);
    edFrom_->setObjectName("edSpectrumFrom");
    edTo_ = new QLineEdit(this);
    edTo_->setObjectName("edSpectrumTo");
    for (QLineEdit* e : {edFrom_, edTo_}) {
        e->setMaximumWidth(fontMetrics().horizontalAdvance("0000,000 кГц"));
        e->setToolTip("Частота в герцах: 19000, 19 к, 19,5к, 1,2 М");
    }
    label("Ч&астоты от:", edFrom_, view);
    label("&до:", edTo_, view);
    view->addWidget(new QLabel("Гц", this));
    btShowAll_ = new QPushButton("Показать &все", this);
    btShowAll_->setObjectName("btSpectrumShowAll");
    view->addWidget(btShowAll_);
    view->addSpacing(fontMetrics().horizontalAdvance("0000"));
    sbPeakCount_ = new QSpinBox(this);
    sbPeakCount_->setObjectName("sbSpectrumPeakCount");
    sbPeakCount_->setRange(0, 50);
    sbPeakCount_->setValue(ReadSetting(settings::kSpectrumPeakCount));
    sbPeakCount_->setToolTip("Сколько наибольших пиков каждого луча показать (0 - ни одного)");
    sbThreshold_ = new QDoubleSpinBox(this);
    sbThreshold_->setLocale(QLocale::c());  // "-60.0": numbers take "." here as everywhere
    sbThreshold_->setObjectName("sbSpectrumThreshold");
    sbThreshold_->setRange(-300, 100);
    sbThreshold_->setDecimals(0);
    sbThreshold_->setSuffix(" дБ");
    sbThreshold_->setValue(ReadSetting(settings::kSpectrumPeakThreshold));
    sbThreshold_->setToolTip("Пики ниже этого уровня не показываются");
    label("&Пиков:", sbPeakCount_, view);
    label("не &ниже:", sbThreshold_, view);
    view->addStretch();
    layout->addLayout(view);

    lbRange_ = new QLabel(this);
    lbRange_->setObjectName("lbSpectrumRange");
    layout->addWidget(lbRange_);
    plot_ = new TSpectrumPlot(this);
    layout->addWidget(plot_, 1);
    lbReadout_ = new QLabel(this);
    lbReadout_->setObjectName("lbSpectrumReadout");
    lbReadout_->setTextFormat(Qt::RichText);
    lbReadout_->setMinimumHeight(fontMetrics().height());
    layout->addWidget(lbReadout_);
    lbPeaks_ = new QLabel(this);
    lbPeaks_->setObjectName("lbSpectrumPeaks");
    lbPeaks_->setTextFormat(Qt::RichText);
    lbPeaks_->setWordWrap(true);
    layout->addWidget(lbPeaks_);
    tbPeaks_ = new QTableWidget(0, 5, this);
    tbPeaks_->setObjectName("tbSpectrumPeaks");
    tbPeaks_->setHorizontalHeaderLabels({"Луч", "№", "f", "Амплитуда", "Уровень"});
    tbPeaks_->verticalHeader()->hide();
    tbPeaks_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbPeaks_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tbPeaks_->horizontalHeader()->setStretchLastSection(false);
    tbPeaks_->setMaximumHeight(tbPeaks_->horizontalHeader()->sizeHint().height() +
                               6 * tbPeaks_->verticalHeader()->defaultSectionSize() + 4);
    layout->addWidget(tbPeaks_);

    connect(cbInterval_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 || index == request_.Interval) return;
        if (ChooseInterval(request_, index)) Recompute();
    });
    connect(cbWindow_, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
    connect(cbAmplitude_, &QComboBox::currentIndexChanged, this, [this] { Replot(); });
    connect(cbFrequency_, &QComboBox::currentIndexChanged, this, [this] { Replot(); });
    connect(sbPeakCount_, &QSpinBox::valueChanged, this, [this](int n) {
        WriteSetting(settings::kSpectrumPeakCount, n);
        FillPeaks();
    });
    connect(sbThreshold_, &QDoubleSpinBox::valueChanged, this, [this](double db) {
        WriteSetting(settings::kSpectrumPeakThreshold, static_cast<int>(std::lround(db)));
        FillPeaks();
    });
    connect(btShowAll_, &QPushButton::clicked, plot_, &TSpectrumPlot::ShowAll);
    connect(edFrom_, &QLineEdit::editingFinished, this, [this] { TypedRange(); });
    connect(edTo_, &QLineEdit::editingFinished, this, [this] { TypedRange(); });
    connect(plot_, &TSpectrumPlot::ViewChanged, this, [this] { ShowRange(); });
    connect(plot_, &TSpectrumPlot::ReadoutChanged, this, [this] { ShowReadout(); });
    resize(820, 600);
}

TFormSpectrum::~TFormSpectrum() = default;

bool TFormSpectrum::Decibels() const { return cbAmplitude_->currentIndex() == 1; }

void TFormSpectrum::Open(const TSpectrumRequest& request, const std::vector<QColor>& colors,
                         const QColor& background) {
    const std::string chosen = request_.Interval >= 0 ? request_.Span : std::string();
    request_ = request;
    if (const int again = FindInterval(request_, chosen); again >= 0)
        ChooseInterval(request_, again);
    colors_ = colors;
    background_ = background;
    FillIntervals();
    Recompute();
}

void TFormSpectrum::Present() { PresentWindow(this); }

void TFormSpectrum::FillIntervals() {
    FillIntervalBox(cbInterval_, request_.Intervals, request_.Interval);
}

void TFormSpectrum::Recompute() {
    const TSpectrumWindow window = kWindows[std::max(0, cbWindow_->currentIndex())].Window;
    if (request_.Sweep) {
        // A sweep's runs are short (the classic limit): no progress box needed.
        std::vector<TRgb> beamColors;
        for (const QColor& c : colors_) beamColors.push_back(RgbOf(c));
        TSweepSpectra runs = SweepSpectra(*analyzer_, *request_.Sweep, request_.Beams, beamColors,
                                          request_.Scheme, request_.T0, request_.T1, window);
        spectra_ = std::move(runs.Curves);
        curveColors_.clear();
        for (const TRgb& c : runs.Colors) curveColors_.push_back(ToQColor(c));
    } else if (const auto beams = static_cast<int64_t>(request_.Beams.size());
               AnalysisQuanta(signals_, request_.T0, request_.T1) * beams < kLongAnalysis) {
        spectra_ =
            BeamSpectra(*analyzer_, signals_, request_.Beams, request_.T0, request_.T1, window);
        curveColors_ = colors_;
    } else if (std::vector<TBeamSpectrum> computed;
               RunLongWork(this, "Спектр", [&](const TWorkHooks& hooks) {
                   computed = BeamSpectra(*analyzer_, signals_, request_.Beams, request_.T0,
                                          request_.T1, window, hooks);
               })) {
        // Taken only now: the plot may repaint from the old ones meanwhile.
        spectra_ = std::move(computed);
        curveColors_ = colors_;
    } else {
        // Stopped on a long range: nothing is shown rather than another range's plot.
        spectra_.clear();
        lbRange_->setText("Расчет прерван");
        Replot();
        return;
    }
    FindBeamPeaks(spectra_, sbPeakCount_->value(), sbThreshold_->value());
    const double q = signals_.QuantTime();
    const int n = spectra_.empty() ? 0 : spectra_.front().Spectrum.N;
    QString range = QString("%1: %2 .. %3 с")
                        .arg(Text(request_.Span), Text(FormatOscTime(q, request_.T0)),
                             Text(FormatOscTime(q, request_.T1)));
    if (n >= 2)
        range += QString(", %1 отсчетов, разрешение %2")
                     .arg(n)
                     .arg(Text(FormatEngineering(spectra_.front().Spectrum.Frequency(1), 4, "Гц")));
    lbRange_->setText(range);
    Replot();
}

void TFormSpectrum::Replot() {
    plot_->SetSpectra(&spectra_, &curveColors_, background_, cbFrequency_->currentIndex() == 1,
                      Decibels());
    FillPeaks();
}

void TFormSpectrum::FillPeaks() {
    FindBeamPeaks(spectra_, sbPeakCount_->value(), sbThreshold_->value());
    plot_->update();
    QStringList notes;
    tbPeaks_->setRowCount(0);
    const bool db = Decibels();
    for (const TBeamSpectrum& b : spectra_) {
        const QColor color = plot_->CurveColor(b);
        QString note;
        if (b.Spectrum.NonFinite)
            note = "в интервале есть NaN или бесконечность, спектр не построен";
        else if (b.Spectrum.BinCount() < 2)
            note = "в интервале меньше двух отсчетов";
        else if (b.Peaks.empty())
            note = QString("пиков не ниже %1 нет")
                       .arg(Text(FormatDecimals(sbThreshold_->value(), 0, "дБ")));
        if (!note.isEmpty())
            notes << QString("<span style=\"color:%1\"><b>%2</b>: %3</span>")
                         .arg(color.name(), Text(b.Name).toHtmlEscaped(), note);
        int rank = 0;
        for (const TSpectralPeak& p : b.Peaks) {
            const int row = tbPeaks_->rowCount();
            tbPeaks_->insertRow(row);
            const QString cells[] = {Text(b.Name), QString::number(++rank),
                                     Text(FormatEngineering(p.Frequency, 5, "Гц")),
                                     Text(FormatEngineering(p.Amplitude, 4)),
                                     Text(FormatDecimals(ToDecibels(p.Amplitude), 2, "дБ"))};
            for (int c = 0; c < 5; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                if (c == kBeamColumn) item->setForeground(color);
                if (c != kBeamColumn) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                tbPeaks_->setItem(row, c, item);
            }
        }
    }
    // The column the amplitude axis reads comes first to the eye: its header is bold. (A grey
    // header would read as a disabled column.)
    for (int column : {kAmplitudeColumn, kLevelColumn}) {
        QTableWidgetItem* header = tbPeaks_->horizontalHeaderItem(column);
        QFont font = header->font();
        font.setBold((column == kLevelColumn) == db);
        header->setFont(font);
        header->setData(Qt::ForegroundRole, QVariant());
    }
    tbPeaks_->resizeColumnsToContents();
    lbPeaks_->setText(notes.join("<br>"));
    lbPeaks_->setVisible(!notes.isEmpty());
}

void TFormSpectrum::ShowRange() {
    const TSpectrumAxes& a = plot_->Axes();
    const double span = a.FMax - a.FMin;
    if (!edFrom_->hasFocus()) edFrom_->setText(FieldText(a.FMin, span));
    if (!edTo_->hasFocus()) edTo_->setText(FieldText(a.FMax, span));
    // A button disabled while it has the focus hands it to the next control, the peak count,
    // whose number the next key typed would replace: the plot takes it instead.
    const bool zoomed = plot_->View().Zoomed();
    if (!zoomed && btShowAll_->hasFocus()) plot_->setFocus();
    btShowAll_->setEnabled(zoomed);
}

void TFormSpectrum::TypedRange() {
    double f0 = 0, f1 = 0;
    if (!ParseEngineering(ToUtf8(edFrom_->text()), f0, "Гц") ||
        !ParseEngineering(ToUtf8(edTo_->text()), f1, "Гц") || !plot_->SetFrequencyRange(f0, f1)) {
        // Not a range of this spectrum: the fields show the plot's again.
        const TSpectrumAxes& a = plot_->Axes();
        edFrom_->setText(FieldText(a.FMin, a.FMax - a.FMin));
        edTo_->setText(FieldText(a.FMax, a.FMax - a.FMin));
    }
}

void TFormSpectrum::ShowReadout() {
    const TSpectrumReadout& r = plot_->Readout();
    if (r.Curve < 0) {
        lbReadout_->clear();
        return;
    }
    const bool db = Decibels();
    QString text = "f = " + Text(FormatEngineering(r.Frequency, 5, "Гц"));
    for (size_t c = 0; c < spectra_.size() && c < r.Amplitudes.size(); ++c) {
        const double a = r.Amplitudes[c];
        const QString value = std::isnan(a) ? "нет"
                              : db          ? Text(FormatDecimals(ToDecibels(a), 2, "дБ"))
                                            : Text(FormatEngineering(a, 4));
        QString item = Text(spectra_[c].Name).toHtmlEscaped() + " = " + value;
        if (static_cast<int>(c) == r.Curve) item = "<b>" + item + "</b>";
        text += QString("&nbsp;&nbsp; <span style=\"color:%1\">%2</span>")
                    .arg(plot_->CurveColor(spectra_[c]).name(), item);
    }
    lbReadout_->setText(text);
}

}  // namespace kvaril
