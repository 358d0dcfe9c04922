#pragma once
// The about box of both windows.

#include <QDialog>

namespace kvaril {

class TFormAbout : public QDialog {
    Q_OBJECT
  public:
    explicit TFormAbout(QWidget* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void ShowAbout(QWidget* parent);

}  // namespace kvaril
