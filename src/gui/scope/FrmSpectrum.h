#pragma once
// The spectrum window: amplitude spectra of the beams it was opened on, over an interval chosen in
// the window (the time window, the whole run, two markers, A..B), with a choice of window
// function, amplitude and frequency axes; a plot that zooms and pans, a typed frequency range,
// each beam's peak table (the N highest peaks above a threshold) and the readout of every beam's
// amplitude at the bin under the pointer. While the oscilloscope shows a sweep, each beam's runs
// are overlaid, named by their values. Not modal: it stays open beside the oscilloscope.

#include <QWidget>
#include <memory>
#include <vector>

#include "osc/OscAnalysis.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kvaril {

class TSignals;
class TSpectrumPlot;

class TFormSpectrum : public QWidget {
    Q_OBJECT
  public:
    TFormSpectrum(const TSignals& signals, QWidget* owner);
    ~TFormSpectrum() override;

    // Shows the spectra of `request`, in the colours of `colors` (by colour index). The interval
    // chosen before stays chosen when the request offers it; else the request's own.
    void Open(const TSpectrumRequest& request, const std::vector<QColor>& colors,
              const QColor& background);
    // Shown, restored when minimised, raised and activated.
    void Present();
    const std::vector<TBeamSpectrum>& Spectra() const { return spectra_; }
    const TSpectrumRequest& Request() const { return request_; }
    TSpectrumPlot* Plot() const { return plot_; }

  private:
    void FillIntervals();
    void Recompute();
    void Replot();
    void FillPeaks();
    void ShowRange();
    void ShowReadout();
    void TypedRange();
    bool Decibels() const;

    const TSignals& signals_;
    std::unique_ptr<TSpectrumAnalyzer> analyzer_;
    TSpectrumRequest request_;
    std::vector<QColor> colors_;
    std::vector<QColor> curveColors_;  // by the curves' ColorIndex: colors_, or a sweep's shades
    QColor background_;
    std::vector<TBeamSpectrum> spectra_;
    QComboBox *cbWindow_, *cbAmplitude_, *cbFrequency_, *cbInterval_;
    QLineEdit *edFrom_, *edTo_;
    QPushButton* btShowAll_;
    QSpinBox* sbPeakCount_;
    QDoubleSpinBox* sbThreshold_;
    QLabel *lbRange_, *lbPeaks_, *lbReadout_;
    QTableWidget* tbPeaks_;
    TSpectrumPlot* plot_;
};

}  // namespace kvaril
