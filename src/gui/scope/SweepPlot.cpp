#include "scope/SweepPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "common/QtText.h"
#include "osc/BeamPalette.h"
#include "scope/OscPainter.h"
#include "scope/PlotFrame.h"

namespace kvaril {

namespace {

constexpr int kGap = 3;

}  // namespace

TRgb RgbOf(const QColor& c) {
    return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
            static_cast<uint8_t>(c.blue())};
}

TSweepPlot::TSweepPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("pbSweepPlot");
    setMinimumSize(160, 140);
}

QRect TSweepPlot::PlotRect() const {
    const QFontMetrics fm = fontMetrics();
    const int left = fm.height() + kGap + fm.horizontalAdvance(QString::fromUtf8("\u2212000,0 м"));
    const int bottom = 2 * fm.height() + 2 * kGap;
    return QRect(left, fm.height() / 2 + kGap, std::max(1, width() - left - 2 * kGap),
                 std::max(1, height() - bottom - fm.height() / 2 - kGap));
}

void TSweepPlot::SetCurves(std::vector<TSweepCurve> curves, bool logX, bool logY,
                           const QString& xTitle, const QString& yTitle, const QColor& color,
                           TColorScheme scheme) {
    curves_ = std::move(curves);
    logX_ = logX;
    logY_ = logY;
    xTitle_ = xTitle;
    yTitle_ = yTitle;
    color_ = color;
    scheme_ = scheme;
    background_ = ToQColor(SchemeBackground(scheme));
    Fit();
    update();
}

void TSweepPlot::Fit() {
    const QRect r = PlotRect();
    axes_ = FitSweepAxes(curves_, logX_, logY_, r.width(), r.height());
}

void TSweepPlot::resizeEvent(QResizeEvent*) { Fit(); }

void TSweepPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect r = PlotRect();
    p.fillRect(r, background_);
    const QColor text = palette().color(QPalette::WindowText);
    DrawAxes(p, r, text);
    std::vector<QColor> colors;
    for (const TRgb& c : SweepRamp(scheme_, RgbOf(color_), static_cast<int>(curves_.size())))
        colors.push_back(QColor(c.R, c.G, c.B));
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (size_t c = 0; c < curves_.size(); ++c) {
        const TSweepCurve& curve = curves_[c];
        QPainterPath path;
        for (size_t i = 0; i < curve.X.size(); ++i) {
            const QPointF at(r.left() + axes_.X(curve.X[i]), r.top() + axes_.Y(curve.Y[i]));
            if (i == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        p.setPen(QPen(colors[c], 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setBrush(colors[c]);
        for (size_t i = 0; i < curve.X.size(); ++i)
            p.drawEllipse(QPointF(r.left() + axes_.X(curve.X[i]), r.top() + axes_.Y(curve.Y[i])),
                          2.5, 2.5);
    }
    p.restore();
    DrawLegend(p, r, colors);
}

void TSweepPlot::DrawAxes(QPainter& p, const QRect& r, const QColor& text) const {
    const bool dark = background_.lightness() < 100;
    const QColor grid = dark ? QColor(70, 70, 70) : QColor(215, 215, 215);
    const QFontMetrics fm = fontMetrics();
    std::vector<TAxisTick> xTicks = axes_.XTicks(fm.horizontalAdvance("0000,0 м"));
    DrawBottomTicks(p, r, xTicks, width(), kGap, grid, text);
    DrawLeftTicks(p, r, axes_.YTicks(fm.height() + kGap), fm.height(), height(), kGap, grid, text);
    p.setPen(text);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.drawText(QRect(r.left(), height() - fm.height() - kGap / 2, r.width(), fm.height()),
               Qt::AlignHCenter, xTitle_);
    p.save();
    p.translate(0, r.center().y());
    p.rotate(-90);
    p.drawText(QRect(-r.height() / 2, 0, r.height(), fm.height()), Qt::AlignHCenter, yTitle_);
    p.restore();
}

void TSweepPlot::DrawLegend(QPainter& p, const QRect& r, const std::vector<QColor>& colors) const {
    if (curves_.size() < 2) return;  // one curve: the axes' titles say it all
    std::vector<TLegendRow> rows;
    for (size_t c = 0; c < curves_.size(); ++c)
        rows.push_back({FromUtf8(curves_[c].Label), colors[c]});
    DrawLegendBox(p, r, rows, QString(), 12, kGap, background_);
}

}  // namespace kvaril
