#pragma once
// "Моделирование → Свип...": one or two of the document's constants and the values each takes,
// a list or a range, checked as they are typed.

#include <QDialog>
#include <array>
#include <vector>

#include "sweep/SweepForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kvaril {

class TSignals;

class TDlgSweep : public QDialog {
    Q_OBJECT
  public:
    // `previous`: the forms the dialog starts from (the last sweep of this document).
    TDlgSweep(QWidget* parent, const TSignals& signals, const std::vector<TSweepForm>& previous);

    // The constants chosen, in order, as the dialog shows them now.
    std::vector<TSweepForm> Forms() const;

    // One row per constant; the second's first choice is "нет".
    struct TRow {
        QComboBox* cbConstant;
        QRadioButton* rbList;
        QLineEdit* edList;
        QRadioButton* rbRange;
        QLineEdit* edFrom;
        QLineEdit* edTo;
        QLineEdit* edCount;
        QCheckBox* chLog;
    };
    std::array<TRow, 2> Rows;
    QLabel* lblCheck;  // "8 прогонов", or why the sweep cannot run
    QPushButton* btnOk;
    QPushButton* btnCancel;

  private:
    QWidget* MakeRow(int index);
    void Fill(int index, const TSweepForm& form);
    // The live line and whether the sweep can start.
    void Check();

    const TSignals& signals_;
    std::vector<TSweepChoice> choices_;
};

}  // namespace kvaril
