#include "osc/FrmSpectrum.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

#include "document/uSignal.h"
#include "model/uCommon.h"
#include "osc/OscTime.h"
#include "osc/SpectrumPlot.h"
#include "ui/QtText.h"

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

QString Number(double v) { return FromUtf8(FormatFloat4(v)); }

}  // namespace

TFormSpectrum::TFormSpectrum(const TSignals& signals, QWidget* owner)
    : QWidget(owner, Qt::Window),
      signals_(signals),
      analyzer_(std::make_unique<TSpectrumAnalyzer>()) {
    setObjectName("FormSpectrum");
    setWindowTitle("Kvaril - Спектр");
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    auto* options = new QHBoxLayout;
    QStringList windows;
    for (const auto& w : kWindows) windows << w.Caption;
    cbWindow_ = Choice(this, "cbSpectrumWindow", windows);
    cbWindow_->setCurrentIndex(1);  // Hann, as on the command line
    cbAmplitude_ = Choice(this, "cbSpectrumAmplitude", {"Линейная", "дБ"});
    cbFrequency_ = Choice(this, "cbSpectrumFrequency", {"Линейная", "Логарифмическая"});
    auto add = [this, options](const char* caption, QComboBox* box) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        options->addWidget(label);
        options->addWidget(box);
    };
    add("&Окно:", cbWindow_);
    add("&Амплитуда:", cbAmplitude_);
    add("&Частота:", cbFrequency_);
    options->addStretch();
    layout->addLayout(options);
    lbRange_ = new QLabel(this);
    lbRange_->setObjectName("lbSpectrumRange");
    layout->addWidget(lbRange_);
    plot_ = new TSpectrumPlot(this);
    layout->addWidget(plot_, 1);
    lbPeaks_ = new QLabel(this);
    lbPeaks_->setObjectName("lbSpectrumPeaks");
    lbPeaks_->setTextFormat(Qt::RichText);
    lbPeaks_->setWordWrap(true);
    layout->addWidget(lbPeaks_);
    lbReadout_ = new QLabel(this);
    lbReadout_->setObjectName("lbSpectrumReadout");
    layout->addWidget(lbReadout_);
    connect(cbWindow_, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
    connect(cbAmplitude_, &QComboBox::currentIndexChanged, this, [this] { Replot(); });
    connect(cbFrequency_, &QComboBox::currentIndexChanged, this, [this] { Replot(); });
    connect(plot_, &TSpectrumPlot::Pointed, this, [this](double f, double level) {
        if (std::isnan(f)) {
            lbReadout_->clear();
            return;
        }
        const QString unit = cbAmplitude_->currentIndex() == 1 ? " дБ" : "";
        lbReadout_->setText(QString("f = %1 Гц   A = %2%3").arg(Number(f), Number(level), unit));
    });
    resize(640, 420);
}

TFormSpectrum::~TFormSpectrum() = default;

void TFormSpectrum::Open(const TSpectrumRequest& request, const std::vector<QColor>& colors,
                         const QColor& background) {
    request_ = request;
    colors_ = colors;
    background_ = background;
    const double q = signals_.QuantTime();
    lbRange_->setText(QString("%1: %2 .. %3 с")
                          .arg(FromUtf8(request.Span), FromUtf8(FormatOscTime(q, request.T0)),
                               FromUtf8(FormatOscTime(q, request.T1))));
    Recompute();
}

void TFormSpectrum::Recompute() {
    const TSpectrumWindow window = kWindows[std::max(0, cbWindow_->currentIndex())].Window;
    spectra_ = BeamSpectra(*analyzer_, signals_, request_.Beams, request_.T0, request_.T1, window);
    Replot();
}

void TFormSpectrum::Replot() {
    const bool db = cbAmplitude_->currentIndex() == 1;
    plot_->SetSpectra(&spectra_, &colors_, background_, cbFrequency_->currentIndex() == 1, db);
    QStringList lines;
    for (const TBeamSpectrum& b : spectra_) {
        const QColor color = b.ColorIndex >= 0 && b.ColorIndex < static_cast<int>(colors_.size())
                                 ? colors_[static_cast<size_t>(b.ColorIndex)]
                                 : QColor(Qt::black);
        QString line = "<b>" + FromUtf8(b.Name).toHtmlEscaped() + "</b>: ";
        if (b.Spectrum.NonFinite)
            line += "в интервале есть NaN или бесконечность, спектр не построен";
        else if (b.Spectrum.BinCount() < 2)
            line += "в интервале меньше двух отсчётов";
        else if (b.Peak.Bin < 0)
            line += "пика нет";
        else
            line += QString("пик %1 Гц, %2%3")
                        .arg(Number(b.Peak.Frequency),
                             Number(db ? ToDecibels(b.Peak.Amplitude) : b.Peak.Amplitude),
                             db ? " дБ" : "");
        lines << QString("<span style=\"color:%1\">%2</span>").arg(color.name(), line);
    }
    lbPeaks_->setText(lines.join("<br>"));
}

}  // namespace kvaril
