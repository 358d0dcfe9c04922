#pragma once
// The drawing area of the spectrum window: curves on fitted axes, the peaks marked, and the
// frequency and level under the pointer reported.

#include <QWidget>
#include <vector>

#include "analysis/SpectrumPlot.h"
#include "osc/OscAnalysis.h"

namespace kvaril {

class TSpectrumPlot : public QWidget {
    Q_OBJECT
  public:
    explicit TSpectrumPlot(QWidget* parent);

    void SetSpectra(const std::vector<TBeamSpectrum>* spectra, const std::vector<QColor>* colors,
                    const QColor& background, bool logFrequency, bool decibels);
    const TSpectrumAxes& Axes() const { return axes_; }
    QRect PlotRect() const;

  Q_SIGNALS:
    void Pointed(double frequency, double level);  // NaN, NaN when outside the plot

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void DrawAxes(QPainter& p, const QRect& r, const QColor& text) const;
    void DrawCurve(QPainter& p, const QRect& r, const TBeamSpectrum& b, const QColor& text) const;
    void Fit();

    const std::vector<TBeamSpectrum>* spectra_ = nullptr;
    const std::vector<QColor>* colors_ = nullptr;
    QColor background_{255, 255, 255};
    bool logFrequency_ = false, decibels_ = false;
    TSpectrumAxes axes_;
};

}  // namespace kvaril
