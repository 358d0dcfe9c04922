#pragma once
// The editor font dialog: fixed-pitch families and the sizes 8 to 22. It starts from the
// editor's font and gives back only a family and a size; style stays regular.

#include <QDialog>

class QFontComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kvaril {

inline constexpr int kMinFontSize = 8;
inline constexpr int kMaxFontSize = 22;

class TDlgFont : public QDialog {
    Q_OBJECT
  public:
    TDlgFont(QWidget* parent, const QFont& initial);

    // The chosen family and size, regular.
    QFont Result() const;

    QFontComboBox* cbFamily;
    QListWidget* lstSize;
    QLineEdit* edSample;
    QPushButton* btnOk;
    QPushButton* btnCancel;

  private:
    void UpdateSample();
};

// A family and size in the editor's terms: regular, fixed pitch, the size within 8 to 22.
QFont EditorFontOf(const QString& family, int pointSize);

}  // namespace kvaril
