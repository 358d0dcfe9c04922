#pragma once
// The spectrum window: amplitude spectra of the beams it was opened on, with a choice of window
// function, amplitude and frequency axes, each beam's largest peak, and a readout of the numbers
// under the pointer. Not modal: it stays open beside the oscilloscope.

#include <QWidget>
#include <memory>
#include <vector>

#include "osc/OscAnalysis.h"

class QComboBox;
class QLabel;

namespace kvaril {

class TSignals;
class TSpectrumPlot;

class TFormSpectrum : public QWidget {
    Q_OBJECT
  public:
    TFormSpectrum(const TSignals& signals, QWidget* owner);
    ~TFormSpectrum() override;

    // Shows the spectra of `request`, in the colours of `colors` (by colour index).
    void Open(const TSpectrumRequest& request, const std::vector<QColor>& colors,
              const QColor& background);
    const std::vector<TBeamSpectrum>& Spectra() const { return spectra_; }

  private:
    void Recompute();
    void Replot();

    const TSignals& signals_;
    std::unique_ptr<TSpectrumAnalyzer> analyzer_;
    TSpectrumRequest request_;
    std::vector<QColor> colors_;
    QColor background_;
    std::vector<TBeamSpectrum> spectra_;
    QComboBox *cbWindow_, *cbAmplitude_, *cbFrequency_;
    QLabel *lbRange_, *lbPeaks_, *lbReadout_;
    TSpectrumPlot* plot_;
};

}  // namespace kvaril
