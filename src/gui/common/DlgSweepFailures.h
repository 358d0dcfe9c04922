#pragma once
// The runs of a sweep that failed, one row each: the values, the signal, the phase and the
// message, while the runs that succeeded are shown.

#include <QDialog>
#include <vector>

#include "sweep/SweepRun.h"

class QTableWidget;

namespace kvaril {

class TDlgSweepFailures : public QDialog {
    Q_OBJECT
  public:
    TDlgSweepFailures(QWidget* parent, const std::vector<TSweepFailure>& failures, int runs);

    QTableWidget* tblFailures;
};

}  // namespace kvaril
