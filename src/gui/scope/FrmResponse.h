#pragma once
// The frequency-response window: how the output beams respond to the input beam over an interval
// chosen as in the spectrum window. Gain in dB, phase in degrees or group delay above, the
// coherence below, both on one frequency axis that zooms and pans as the spectrum's does; bins of
// low coherence drawn faint; the passband level, the half-power frequencies and the attenuation
// at a typed frequency marked. Over a sweep, each output's runs in its ramp. Not modal.

#include <QWidget>
#include <memory>
#include <vector>

#include "osc/ResponseView.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace kvaril {

class TSignals;
class TSpectrumPlot;

class TFormResponse : public QWidget {
    Q_OBJECT
  public:
    TFormResponse(const TSignals& signals, QWidget* owner);
    ~TFormResponse() override;

    // Estimates `setup` in the colours `colors` (by colour index) on `background`. The interval
    // chosen before stays chosen when the setup offers it.
    void Open(const TResponseSetup& setup, const std::vector<QColor>& colors,
              const QColor& background);
    void Present();
    const TResponseEstimates& Estimates() const { return estimates_; }
    TSpectrumPlot* Plot() const { return plot_; }
    TSpectrumPlot* CoherencePlot() const { return coherence_; }

  private:
    void FillChoices();
    void ReadChoices();
    void Recompute();
    void Replot();
    void ShowMarks();
    void ShowReadout(TSpectrumPlot* from);
    TResponseShow Show() const;
    int Segment() const;

    const TSignals& signals_;
    std::unique_ptr<TSpectrumAnalyzer> analyzer_;
    TResponseSetup setup_;
    std::vector<QColor> beamColors_, curveColors_;
    QColor background_;
    TResponseEstimates estimates_;
    std::vector<TBeamSpectrum> curves_, coherenceCurves_;
    QComboBox *cbInput_, *cbInterval_, *cbSegment_, *cbShow_, *cbFrequency_;
    QListWidget* lstOutputs_;
    QLineEdit* edAt_;
    QLabel *lbRange_, *lbMarks_, *lbReadout_;
    TSpectrumPlot *plot_, *coherence_;
    bool syncing_ = false;
};

}  // namespace kvaril
