#include "scope/FrmResponse.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <cmath>

#include "base/Cp1251.h"
#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "document/uSignal.h"
#include "osc/OscTime.h"
#include "plot/Ticks.h"
#include "scope/AnalysisForms.h"
#include "scope/OscPainter.h"
#include "scope/SpectrumPlot.h"
#include "scope/SweepPlot.h"

namespace kvaril {

namespace {

constexpr int kLeastSegmentPower = 4, kMostSegmentPower = 22;  // 16 .. 4 Mi quanta

const char* const kShowCaptions[] = {"Усиление, дБ", "Фаза, °", "Групповая задержка, с"};

QString Text(const std::string& utf8) { return FromUtf8(utf8); }

QString Db(double db) { return Text(FormatDecimals(db, 2, "дБ")); }

QString Hz(double f) { return Text(FormatEngineering(f, 4, "Гц")); }

}  // namespace

TFormResponse::TFormResponse(const TSignals& signals, QWidget* owner)
    : QWidget(owner, Qt::Window),
      signals_(signals),
      analyzer_(std::make_unique<TSpectrumAnalyzer>()) {
    setObjectName("FormResponse");
    setWindowTitle("Kvaril - Передаточная функция");
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    auto label = [this](const char* caption, QWidget* buddy, QHBoxLayout* row) {
        AddLabelled(this, caption, buddy, row);
    };
    auto combo = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return box;
    };

    // What is estimated: from which beam, over which interval, in segments of what length.
    auto* estimate = new QHBoxLayout;
    cbInput_ = combo("cbResponseInput");
    cbInput_->setToolTip("Луч, поданный на вход фильтра (x)");
    cbInterval_ = combo("cbResponseInterval");
    cbInterval_->setToolTip("Интервал времени, по которому оценивается передаточная функция");
    cbSegment_ = combo("cbResponseSegment");
    cbSegment_->setToolTip(
        "Отсчетов в сегменте: длиннее - тоньше по частоте, короче - больше сегментов и "
        "надежнее оценка");
    cbSegment_->addItem("Авто", 0);
    for (int p = kLeastSegmentPower; p <= kMostSegmentPower; ++p)
        cbSegment_->addItem(QString::number(1 << p), 1 << p);
    const int segment = cbSegment_->findData(ReadSetting(settings::kResponseSegment));
    cbSegment_->setCurrentIndex(std::max(0, segment));
    label("&Вход:", cbInput_, estimate);
    label("&Интервал:", cbInterval_, estimate);
    label("&Сегмент:", cbSegment_, estimate);
    estimate->addStretch();
    layout->addLayout(estimate);

    auto* outputs = new QHBoxLayout;
    lstOutputs_ = new QListWidget(this);
    lstOutputs_->setObjectName("lstResponseOutputs");
    lstOutputs_->setToolTip("Лучи с выходов фильтра (y): отметьте один или несколько");
    lstOutputs_->setFlow(QListView::LeftToRight);
    lstOutputs_->setWrapping(false);
    lstOutputs_->setFixedHeight(fontMetrics().height() * 2 + 6);
    label("В&ыходы:", lstOutputs_, outputs);
    layout->addLayout(outputs);

    // What is shown of it.
    auto* view = new QHBoxLayout;
    cbShow_ = combo("cbResponseShow");
    for (const char* caption : kShowCaptions) cbShow_->addItem(caption);
    cbShow_->setCurrentIndex(std::clamp(ReadSetting(settings::kResponseShow), 0, 2));
    cbFrequency_ = combo("cbResponseFrequency");
    cbFrequency_->addItems({"Линейная", "Логарифмическая"});
    cbFrequency_->setCurrentIndex(ReadSetting(settings::kResponseLogFrequency) ? 1 : 0);
    edAt_ = new QLineEdit(this);
    edAt_->setObjectName("edResponseAt");
    edAt_->setMaximumWidth(fontMetrics().horizontalAdvance("0000,000 кГц"));
    edAt_->setToolTip("Частота, на которой показать ослабление: 2000, 2 к, 1,5к");
    edAt_->setText(ReadSetting(settings::kResponseAttenuationAt));
    label("&Показать:", cbShow_, view);
    label("&Частота:", cbFrequency_, view);
    label("Ослабление &на:", edAt_, view);
    view->addWidget(new QLabel("Гц", this));
    view->addStretch();
    layout->addLayout(view);

    lbRange_ = new QLabel(this);
    lbRange_->setObjectName("lbResponseRange");
    lbRange_->setWordWrap(true);
    layout->addWidget(lbRange_);
    plot_ = new TSpectrumPlot(this);
    plot_->setObjectName("pbResponse");
    layout->addWidget(plot_, 3);
    coherence_ = new TSpectrumPlot(this);
    coherence_->setObjectName("pbCoherence");
    coherence_->setMinimumHeight(120);
    coherence_->SetLevelTitle("γ²");
    coherence_->setToolTip(
        "Когерентность γ²: какая доля выхода объясняется входом. Где она "
        "ниже 0,5, кривые бледные: там оценке верить нельзя");
    layout->addWidget(coherence_, 1);
    lbReadout_ = new QLabel(this);
    lbReadout_->setObjectName("lbResponseReadout");
    lbReadout_->setTextFormat(Qt::RichText);
    lbReadout_->setMinimumHeight(fontMetrics().height());
    layout->addWidget(lbReadout_);
    lbMarks_ = new QLabel(this);
    lbMarks_->setObjectName("lbResponseMarks");
    lbMarks_->setTextFormat(Qt::RichText);
    lbMarks_->setWordWrap(true);
    layout->addWidget(lbMarks_);

    connect(cbInput_, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
    connect(lstOutputs_, &QListWidget::itemChanged, this, [this] { Recompute(); });
    connect(cbInterval_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 || index == setup_.Base.Interval) return;
        if (ChooseInterval(setup_.Base, index)) Recompute();
    });
    connect(cbSegment_, &QComboBox::currentIndexChanged, this, [this] {
        WriteSetting(settings::kResponseSegment, Segment());
        Recompute();
    });
    connect(cbShow_, &QComboBox::currentIndexChanged, this, [this](int index) {
        WriteSetting(settings::kResponseShow, index);
        Replot();
    });
    connect(cbFrequency_, &QComboBox::currentIndexChanged, this, [this](int index) {
        WriteSetting(settings::kResponseLogFrequency, index == 1);
        Replot();
    });
    connect(edAt_, &QLineEdit::editingFinished, this, [this] {
        WriteSetting(settings::kResponseAttenuationAt, edAt_->text());
        ShowMarks();
    });
    // One frequency axis for both plots.
    for (auto [from, to] : {std::pair{plot_, coherence_}, std::pair{coherence_, plot_}}) {
        connect(from, &TSpectrumPlot::ViewChanged, this, [this, from, to] {
            if (syncing_) return;
            syncing_ = true;
            to->SetFrequencyRange(from->Axes().FMin, from->Axes().FMax);
            syncing_ = false;
        });
        connect(from, &TSpectrumPlot::ReadoutChanged, this, [this, from] { ShowReadout(from); });
    }
    resize(860, 680);
}

TFormResponse::~TFormResponse() = default;

TResponseShow TFormResponse::Show() const {
    return static_cast<TResponseShow>(std::clamp(cbShow_->currentIndex(), 0, 2));
}

int TFormResponse::Segment() const { return cbSegment_->currentData().toInt(); }

void TFormResponse::Open(const TResponseSetup& setup, const std::vector<QColor>& colors,
                         const QColor& background) {
    const std::string chosen = setup_.Base.Interval >= 0 ? setup_.Base.Span : std::string();
    setup_ = setup;
    if (const int again = FindInterval(setup_.Base, chosen); again >= 0)
        ChooseInterval(setup_.Base, again);
    beamColors_ = colors;
    background_ = background;
    FillChoices();
    Recompute();
}

void TFormResponse::Present() { PresentWindow(this); }

void TFormResponse::FillChoices() {
    const QSignalBlocker blockInput(cbInput_), blockOutputs(lstOutputs_);
    cbInput_->clear();
    lstOutputs_->clear();
    for (const TBeamChoice& b : setup_.Base.Beams) {
        const QString name = Text(Cp1251ToUtf8(signals_.Items(b.Signal).Name()));
        cbInput_->addItem(name, b.Signal);
        auto* item = new QListWidgetItem(name, lstOutputs_);
        item->setData(Qt::UserRole, b.Signal);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        const bool output = std::find(setup_.Outputs.begin(), setup_.Outputs.end(), b.Signal) !=
                            setup_.Outputs.end();
        item->setCheckState(output ? Qt::Checked : Qt::Unchecked);
    }
    cbInput_->setCurrentIndex(cbInput_->findData(setup_.Input));
    FillIntervalBox(cbInterval_, setup_.Base.Intervals, setup_.Base.Interval);
}

void TFormResponse::ReadChoices() {
    setup_.Input = cbInput_->currentData().isValid() ? cbInput_->currentData().toInt() : -1;
    setup_.Outputs.clear();
    for (int i = 0; i < lstOutputs_->count(); ++i)
        if (lstOutputs_->item(i)->checkState() == Qt::Checked)
            setup_.Outputs.push_back(lstOutputs_->item(i)->data(Qt::UserRole).toInt());
}

void TFormResponse::Recompute() {
    ReadChoices();
    std::vector<TRgb> colors;
    for (const QColor& c : beamColors_) colors.push_back(RgbOf(c));
    const int segment = Segment();
    const auto signals = static_cast<int64_t>(setup_.Outputs.size() + 1);
    TResponseEstimates computed;
    if (setup_.Base.Sweep ||
        AnalysisQuanta(signals_, setup_.Base.T0, setup_.Base.T1) * signals < kLongAnalysis) {
        computed = EstimateResponses(*analyzer_, signals_, setup_, segment, colors);
    } else if (!RunLongWork(this, "Передаточная функция", [&](const TWorkHooks& hooks) {
                   computed =
                       EstimateResponses(*analyzer_, signals_, setup_, segment, colors, hooks);
               })) {
        computed = {};
        computed.Reason = "Расчет прерван";
    }
    estimates_ = std::move(computed);
    curveColors_.clear();
    for (const TRgb& c : estimates_.Colors) curveColors_.push_back(ToQColor(c));
    coherenceCurves_ = CoherenceCurves(estimates_);

    const double q = signals_.QuantTime();
    QString range = QString("%1: %2 .. %3 с")
                        .arg(Text(setup_.Base.Span), Text(FormatOscTime(q, setup_.Base.T0)),
                             Text(FormatOscTime(q, setup_.Base.T1)));
    if (!estimates_.Reason.empty()) {
        range += ". " + Text(estimates_.Reason);
    } else {
        const TResponse& r = estimates_.Runs.front();
        range += QString(", %1 отсчетов").arg(r.N);
        if (r.Impulse)
            range += ". Импульсный вход: один сегмент без окна, когерентность не оценивается";
        else if (!r.CoherenceKnown())
            range += QString(". Один сегмент по %1: когерентность не оценивается").arg(r.Segment);
        else
            range += QString(". %1 сегментов по %2 отсчетов, окно Ханна, перекрытие 50 %")
                         .arg(r.Segments)
                         .arg(r.Segment);
        range += ", разрешение " + Hz(r.Frequency(1));
    }
    lbRange_->setText(range);
    coherence_->setVisible(estimates_.Runs.empty() || estimates_.Runs.front().CoherenceKnown());
    Replot();
}

void TFormResponse::Replot() {
    const TResponseShow show = Show();
    curves_ = ResponseCurves(estimates_, show);
    const bool log = cbFrequency_->currentIndex() == 1;
    plot_->SetLevelTitle(kShowCaptions[static_cast<int>(show)]);
    plot_->SetSpectra(&curves_, &curveColors_, background_, log, show == TResponseShow::Magnitude);
    coherence_->SetSpectra(&coherenceCurves_, &curveColors_, background_, log, false);
    ShowMarks();
}

void TFormResponse::ShowMarks() {
    std::vector<TSpectrumPlot::TMark> lines;
    QStringList notes;
    double at = 0;
    const bool typed = ParseEngineering(ToUtf8(edAt_->text()), at, "Гц") && at > 0;
    const bool magnitude = Show() == TResponseShow::Magnitude;
    const size_t outputs = estimates_.Runs.empty() ? 0 : estimates_.Runs.front().Outputs.size();
    // The lines of each curve while they stay readable; the numbers of every one below.
    const bool drawLines = curves_.size() <= 3;
    size_t curve = 0;
    for (size_t o = 0; o < outputs; ++o)
        for (size_t run = 0; run < estimates_.Runs.size(); ++run, ++curve) {
            const TResponse& r = estimates_.Runs[run];
            const QColor color = curveColors_.at(curve);
            const TResponseMarks m = ResponseMarks(r, static_cast<int>(o));
            QString note = "<b>" + Text(curves_.at(curve).Name).toHtmlEscaped() + "</b>: ";
            if (!m.Any) {
                notes << QString(
                             "<span style=\"color:%1\">%2нет частот с когерентностью от "
                             "0,5</span>")
                             .arg(color.name(), note);
                continue;
            }
            note += "полоса пропускания " + Db(m.PassbandDb) + " (" + Hz(m.PassbandFrequency) + ")";
            QStringList halves;
            for (double f : m.HalfPowerFrequencies) halves << Hz(f);
            note += "; −3 дБ: " + (halves.isEmpty() ? QString("нет") : halves.join(", "));
            if (typed) {
                const std::optional<double> a = AttenuationAt(r, static_cast<int>(o), at);
                note += "; на " + Hz(at) + ": " + (a ? Db(*a) : QString("нет оценки"));
            }
            notes << QString("<span style=\"color:%1\">%2</span>").arg(color.name(), note);
            if (!drawLines) continue;
            if (magnitude) {
                lines.push_back({false, std::pow(10.0, m.PassbandDb / 20), "", color});
                lines.push_back(
                    {false, std::pow(10.0, (m.PassbandDb + kHalfPowerDb) / 20), "−3 дБ", color});
            }
            for (double f : m.HalfPowerFrequencies) lines.push_back({true, f, Hz(f), color});
        }
    if (typed) lines.push_back({true, at, Hz(at), palette().color(QPalette::WindowText)});
    plot_->SetMarks(lines);
    lbMarks_->setText(notes.join("<br>"));
}

void TFormResponse::ShowReadout(TSpectrumPlot* from) {
    const TSpectrumReadout& r = from->Readout();
    if (r.Curve < 0) {
        lbReadout_->clear();
        return;
    }
    const int bold = plot_->Readout().Curve >= 0 ? plot_->Readout().Curve : r.Curve;
    QString text = "f = " + Text(FormatEngineering(r.Frequency, 5, "Гц"));
    const TResponseShow show = Show();
    for (size_t c = 0; c < curves_.size(); ++c) {
        const TSpectrum& s = curves_[c].Spectrum;
        const long k = std::lround(r.Frequency / s.Frequency(1));
        if (k < 0 || k >= s.BinCount()) continue;
        const double v = s.Amplitude[static_cast<size_t>(k)];
        const double g = coherenceCurves_[c].Spectrum.Amplitude[static_cast<size_t>(k)];
        const QString value = std::isnan(v)                      ? "нет"
                              : show == TResponseShow::Magnitude ? Db(ToDecibels(v))
                              : show == TResponseShow::Phase     ? Text(FormatDecimals(v, 1, "°"))
                                                             : Text(FormatEngineering(v, 4, "с"));
        QString item = Text(curves_[c].Name).toHtmlEscaped() + " = " + value;
        if (!std::isnan(g)) item += ", γ² " + Text(FormatDecimals(g, 3));
        if (static_cast<int>(c) == bold) item = "<b>" + item + "</b>";
        text += QString("&nbsp;&nbsp; <span style=\"color:%1\">%2</span>")
                    .arg(curveColors_.at(c).name(), item);
    }
    lbReadout_->setText(text);
}

}  // namespace kvaril
