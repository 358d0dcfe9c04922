#pragma once
// The modelling parameters: quantization time and total time, applied through the signal
// list's setters when accepted.

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kvaril {

class TSignals;

class TDlgModelParams : public QDialog {
    Q_OBJECT
  public:
    // `maxQuanta`: the limit the live line tells about (ModelGenerator.h).
    TDlgModelParams(QWidget* parent, TSignals& signals, int32_t maxQuanta = 10000);

    QLineEdit* edQuantTime;
    QLineEdit* edTotalTime;
    QLabel* lblQuanta;  // the quanta and sampling rate of the typed times, as the user types
    QPushButton* btnOk;
    QPushButton* btnCancel;

  private:
    void btnOkClick();
    void UpdateQuanta();

    TSignals& signals_;
    int32_t maxQuanta_;
};

}  // namespace kvaril
