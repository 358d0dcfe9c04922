#pragma once
// The modelling parameters: quantization time and total time, applied through the signal
// list's setters when accepted.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kvaril {

class TSignals;

class TDlgModelParams : public QDialog {
    Q_OBJECT
  public:
    TDlgModelParams(QWidget* parent, TSignals& signals);

    QLineEdit* edQuantTime;
    QLineEdit* edTotalTime;
    QLabel* lblQuanta;  // the quanta and sampling rate of the typed times, as the user types
    QPushButton* btnOk;
    QPushButton* btnCancel;

  private:
    void btnOkClick();
    void UpdateQuanta();

    TSignals& signals_;
};

}  // namespace kvaril
