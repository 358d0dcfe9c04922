#include "osc/SpectrumPlot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "model/uCommon.h"
#include "osc/Ticks.h"
#include "ui/QtText.h"

namespace kvaril {

namespace {

constexpr int kLeft = 58, kRight = 12, kTop = 8, kBottom = 22;

// Hertz and decibels read best in plain digits ("1000", "-150"); only the extremes get exponents.
QString AxisText(double v) {
    if (std::fabs(v) < 1e-12) v = 0;
    return FromUtf8(FormatFloat(v, 6));
}

}  // namespace

TSpectrumPlot::TSpectrumPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("pbSpectrum");
    setMouseTracking(true);
    setMinimumSize(240, 160);
    setCursor(Qt::CrossCursor);
}

QRect TSpectrumPlot::PlotRect() const {
    return QRect(kLeft, kTop, std::max(1, width() - kLeft - kRight),
                 std::max(1, height() - kTop - kBottom));
}

void TSpectrumPlot::SetSpectra(const std::vector<TBeamSpectrum>* spectra,
                               const std::vector<QColor>* colors, const QColor& background,
                               bool logFrequency, bool decibels) {
    spectra_ = spectra;
    colors_ = colors;
    background_ = background;
    logFrequency_ = logFrequency;
    decibels_ = decibels;
    Fit();
    update();
}

void TSpectrumPlot::Fit() {
    std::vector<const TSpectrum*> all;
    if (spectra_)
        for (const TBeamSpectrum& b : *spectra_) all.push_back(&b.Spectrum);
    const QRect r = PlotRect();
    axes_ = FitSpectrumAxes(all, logFrequency_, decibels_, r.width(), r.height());
}

void TSpectrumPlot::resizeEvent(QResizeEvent*) { Fit(); }

void TSpectrumPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect r = PlotRect();
    p.fillRect(r, background_);
    const QColor text = palette().color(QPalette::WindowText);
    DrawAxes(p, r, text);
    if (!spectra_) return;
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const TBeamSpectrum& b : *spectra_) DrawCurve(p, r, b, text);
}

void TSpectrumPlot::DrawAxes(QPainter& p, const QRect& r, const QColor& text) const {
    const bool dark = background_.lightness() < 100;
    const QColor grid = dark ? QColor(70, 70, 70) : QColor(210, 210, 210);
    // Frequency ticks: 1-2-5 steps, or decades on a logarithmic axis.
    std::vector<std::pair<double, QString>> fTicks;
    if (axes_.LogFrequency) {
        for (double f : DecadeTicks(axes_.FMin, axes_.FMax)) fTicks.emplace_back(f, AxisText(f));
    } else {
        for (const TTick& t : MakeTicks(axes_.FMin, axes_.FMax, r.width()).Ticks)
            fTicks.emplace_back(t.Value, AxisText(t.Value));
    }
    const QFontMetrics fm = fontMetrics();
    for (const auto& [f, label] : fTicks) {
        const int x = r.left() + static_cast<int>(std::lround(axes_.X(f)));
        p.setPen(grid);
        p.drawLine(x, r.top(), x, r.bottom());
        p.setPen(text);
        p.drawText(QRect(x - 40, r.bottom() + 3, 80, fm.height()), Qt::AlignHCenter, label);
    }
    for (const TTick& t : MakeTicks(axes_.AMax, axes_.AMin, r.height(), 30).Ticks) {
        const int y = r.top() + t.Pixel;
        p.setPen(grid);
        p.drawLine(r.left(), y, r.right(), y);
        p.setPen(text);
        p.drawText(QRect(0, y - fm.height() / 2, kLeft - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, AxisText(t.Value));
    }
    p.setPen(text);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void TSpectrumPlot::DrawCurve(QPainter& p, const QRect& r, const TBeamSpectrum& b,
                              const QColor& text) const {
    const TSpectrum& s = b.Spectrum;
    if (s.NonFinite || s.BinCount() < 2) return;
    const QColor color =
        colors_ && b.ColorIndex >= 0 && b.ColorIndex < static_cast<int>(colors_->size())
            ? (*colors_)[static_cast<size_t>(b.ColorIndex)]
            : text;
    QPainterPath path;
    bool first = true;
    for (int k = axes_.LogFrequency ? 1 : 0; k < s.BinCount(); ++k) {
        const QPointF pt(r.left() + axes_.X(s.Frequency(k)),
                         r.top() + axes_.Y(s.Amplitude[static_cast<size_t>(k)]));
        if (first)
            path.moveTo(pt);
        else
            path.lineTo(pt);
        first = false;
    }
    p.setPen(QPen(color, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    if (b.Peak.Bin >= 0 && (!axes_.LogFrequency || b.Peak.Frequency > 0)) {
        const QPointF at(r.left() + axes_.X(b.Peak.Frequency), r.top() + axes_.Y(b.Peak.Amplitude));
        p.drawEllipse(at, 4, 4);
    }
}

void TSpectrumPlot::mouseMoveEvent(QMouseEvent* event) {
    const QRect r = PlotRect();
    const QPoint at = event->position().toPoint();
    if (!r.contains(at)) {
        Q_EMIT Pointed(NAN, NAN);
        return;
    }
    Q_EMIT Pointed(axes_.FrequencyAt(at.x() - r.left()), axes_.LevelAt(at.y() - r.top()));
}

void TSpectrumPlot::leaveEvent(QEvent*) { Q_EMIT Pointed(NAN, NAN); }

}  // namespace kvaril
