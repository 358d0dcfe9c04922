#pragma once
// The drawing area of the spectrum window: curves in their beams' colours on axes with titles and
// engineering numbers, a legend, each beam's peak table as labels, and the readout snapped to the
// nearest bin. The wheel zooms about the pointer (over an axis's numbers that axis alone, Shift:
// frequency, Ctrl: level), a drag pans, a drag with the right button or Shift draws the box to
// zoom to, a double click shows all. The numbers are TSpectrumView's and SnapReadout's.

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
    // The level axis's title in place of the amplitude's ("Фаза, °"); empty: the amplitude's.
    void SetLevelTitle(const QString& title) { levelTitle_ = title; }
    // Lines drawn over the curves with a label: at a frequency (vertical) or at a level
    // (horizontal, in the curves' own units: linear on a dB axis too).
    struct TMark {
        bool Vertical = true;
        double Value = 0;
        QString Text;
        QColor Color;
    };
    void SetMarks(std::vector<TMark> marks) {
        marks_ = std::move(marks);
        update();
    }
    const TSpectrumAxes& Axes() const { return view_.Axes(); }
    const TSpectrumView& View() const { return view_; }
    QRect PlotRect() const;
    // The colour a beam's curve is drawn in.
    QColor CurveColor(const TBeamSpectrum& b) const;

    void ShowAll();
    bool SetFrequencyRange(double f0, double f1);
    // The readout under the pointer; Curve < 0 when the pointer is off the plot.
    const TSpectrumReadout& Readout() const { return readout_; }

  Q_SIGNALS:
    void ViewChanged();     // zoomed, panned or shown all
    void ReadoutChanged();  // the pointer moved to another bin, or left

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    enum class TDrag { None, Pan, Band };
    struct TMargins {
        int Left, Right, Top, Bottom;
    };
    TMargins Margins() const;
    std::vector<const TSpectrum*> Curves() const;
    void DrawAxes(QPainter& p, const QRect& r, const QColor& text) const;
    void DrawCurve(QPainter& p, const QRect& r, const TBeamSpectrum& b) const;
    void DrawPeaks(QPainter& p, const QRect& r) const;
    void DrawMarks(QPainter& p, const QRect& r) const;
    void DrawLegend(QPainter& p, const QRect& r, const QColor& text) const;
    void DrawReadout(QPainter& p, const QRect& r) const;
    void Point(const QPointF& at);
    void Changed();

    const std::vector<TBeamSpectrum>* spectra_ = nullptr;
    const std::vector<QColor>* colors_ = nullptr;
    QColor background_{255, 255, 255};
    QString levelTitle_;
    std::vector<TMark> marks_;
    TSpectrumView view_;
    TSpectrumReadout readout_;
    TDrag drag_ = TDrag::None;
    QPointF dragFrom_, dragAt_;
};

}  // namespace kvaril
