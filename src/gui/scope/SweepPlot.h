#pragma once
// The "Свип" page's small plot: a measure against the first swept constant, one curve per value
// of the second in shades of one colour, with a legend naming them. The axes and ticks are
// FitSweepAxes'; the widget only draws them.

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "document/OscEnums.h"
#include "osc/SweepMeasure.h"

namespace kvaril {

struct TRgb;
TRgb RgbOf(const QColor& c);

class TSweepPlot : public QWidget {
    Q_OBJECT
  public:
    explicit TSweepPlot(QWidget* parent);

    // Drawn in the ramp of `color` on the background of `scheme`, as the runs are drawn.
    void SetCurves(std::vector<TSweepCurve> curves, bool logX, bool logY, const QString& xTitle,
                   const QString& yTitle, const QColor& color, TColorScheme scheme);
    const std::vector<TSweepCurve>& Curves() const { return curves_; }
    // The axes as last drawn.
    const TSweepPlotAxes& Axes() const { return axes_; }
    QRect PlotRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Fit();
    void DrawAxes(QPainter& p, const QRect& r, const QColor& text) const;
    void DrawLegend(QPainter& p, const QRect& r, const std::vector<QColor>& colors) const;

    std::vector<TSweepCurve> curves_;
    bool logX_ = false, logY_ = false;
    QString xTitle_, yTitle_;
    QColor color_{0, 0, 255}, background_{255, 255, 255};
    TColorScheme scheme_ = TColorScheme::White;
    TSweepPlotAxes axes_;
};

}  // namespace kvaril
