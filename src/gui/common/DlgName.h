#pragma once
// The name dialogs: TDlgName (a caption given by the caller, one field) and, with the
// destructor option, the signal name dialog of the Add command.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kvaril {

class TDlgName : public QDialog {
    Q_OBJECT
  public:
    TDlgName(QWidget* parent, const QString& caption, const QString& preset, bool withOptions);

    QString Text() const;
    bool WithDestructor() const;

    QLineEdit* edText;
    QCheckBox* cbDestructor = nullptr;
    QPushButton* btnOk;
    QPushButton* btnCancel;

  private:
    void UpdateButtons();
};

}  // namespace kvaril
