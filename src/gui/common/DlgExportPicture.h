#pragma once
// "Экспорт рисунка": the current screen or all screens stacked, at the window's size or at a
// size the user types. The file's extension then chooses PNG, SVG or PDF.

#include <QDialog>

#include "common/ExportChoices.h"

class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kvaril {

class TDlgExportPicture : public QDialog {
    Q_OBJECT
  public:
    TDlgExportPicture(QWidget* parent, const TPictureExportQuestion& question);

    TPictureExportChoice Choice() const;

    QRadioButton *rbCurrent, *rbAll;
    QRadioButton *rbWindowSize, *rbOwnSize;
    QSpinBox *seWidth, *seHeight;
    QPushButton *btnOk, *btnCancel;

  private:
    void UpdateControls();
    QSize windowSize_;
};

}  // namespace kvaril
