#pragma once
// "Экспорт данных": which time span of the picked beams goes out, and as CSV or WAV.

#include <QDialog>

#include "common/ExportChoices.h"

class QComboBox;
class QPushButton;
class QRadioButton;

namespace kvaril {

class TDlgExportData : public QDialog {
    Q_OBJECT
  public:
    TDlgExportData(QWidget* parent, const TDataExportQuestion& question);

    TDataExportChoice Choice() const;

    QRadioButton *rbWindow, *rbWholeRun, *rbMarkers, *rbCursors;
    QComboBox *cbMarkerA, *cbMarkerB;
    QRadioButton *rbCsv, *rbWav;
    QPushButton *btnOk, *btnCancel;

  private:
    void UpdateControls();
};

}  // namespace kvaril
