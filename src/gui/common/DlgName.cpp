#include "common/DlgName.h"

#include "common/Dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvaril {

TDlgName::TDlgName(QWidget* parent, const QString& caption, const QString& preset, bool withOptions)
    : QDialog(parent) {
    setWindowTitle(caption);
    MakeFixedDialog(this);
    auto* layout = new QVBoxLayout(this);
    edText = new QLineEdit(preset, this);
    edText->setMinimumWidth(280);
    layout->addWidget(edText);
    if (withOptions) {
        auto* gbOptions = new QGroupBox(this);
        auto* options = new QVBoxLayout(gbOptions);
        cbDestructor = new QCheckBox("Создавать деструктор сигнала", gbOptions);
        options->addWidget(cbDestructor);
        layout->addWidget(gbOptions);
    }
    QDialogButtonBox* buttons = AcceptCancelButtons(this, &btnOk, &btnCancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(edText, &QLineEdit::textChanged, this, &TDlgName::UpdateButtons);
    UpdateButtons();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TDlgName::Text() const { return edText->text(); }
bool TDlgName::WithDestructor() const { return cbDestructor && cbDestructor->isChecked(); }

void TDlgName::UpdateButtons() { btnOk->setEnabled(!edText->text().isEmpty()); }

}  // namespace kvaril
