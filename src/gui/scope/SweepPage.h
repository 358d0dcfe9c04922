#pragma once
// The control panel's page "Свип", there while a sweep is shown: a signal, a measure (any
// statistic, or the largest spectral peak's frequency or level) and an interval are chosen, and
// the page tabulates the measure of every run against the swept values and plots it. The
// numbers are MeasureSweep's.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "osc/OscAnalysis.h"
#include "osc/SweepMeasure.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kvaril {

class TSweepPlot;

class TSweepPage : public QWidget {
    Q_OBJECT
  public:
    explicit TSweepPage(QWidget* parent);
    ~TSweepPage() override;

    // The sweep and what the oscilloscope offers now: its intervals (SpectrumIntervals), the
    // signal to start with and the colour of its beam. The user's choices are kept while they
    // still apply. Measures only what changed.
    void Show(const TSweepShownPtr& sweep, const std::vector<TSpectrumInterval>& intervals,
              int signal, const QColor& color, TColorScheme scheme);
    const TSweepTable& Table() const { return table_; }
    TSweepPlot* Plot() const { return plot_; }
    // The width that shows the table and the choices without scrolling.
    int WantedWidth() const;

  private:
    void FillSignals(int signal);
    void FillIntervals();
    void Measure();
    void FillTable();
    void Copy() const;
    QString Caption() const;

    std::unique_ptr<TSpectrumAnalyzer> analyzer_;
    TSweepShownPtr sweep_;
    std::vector<TSpectrumInterval> intervals_;
    QColor color_;
    TColorScheme scheme_ = TColorScheme::White;
    TSweepTable table_;
    // What the table shows, so that a refresh that changes none of it measures nothing.
    struct TKey {
        const TSweepShown* Sweep = nullptr;
        TSweepMeasure Measure;
        bool operator==(const TKey& o) const {
            return Sweep == o.Sweep && Measure.Signal == o.Measure.Signal &&
                   Measure.Quantity == o.Measure.Quantity && Measure.T0 == o.Measure.T0 &&
                   Measure.T1 == o.Measure.T1;
        }
    } shown_;
    QComboBox *cbSignal_, *cbMeasure_, *cbInterval_;
    QLabel* lbNote_;
    QTableWidget* grid_;
    TSweepPlot* plot_;
    QPushButton* btCopy_;
};

}  // namespace kvaril
