#include "common/DlgExportPicture.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/Dialogs.h"
#include "osc/PictureRequest.h"

namespace kvaril {

TDlgExportPicture::TDlgExportPicture(QWidget* parent, const TPictureExportQuestion& question)
    : QDialog(parent), windowSize_(question.WindowSize) {
    setWindowTitle("Экспорт рисунка");
    MakeFixedDialog(this);
    auto* layout = new QVBoxLayout(this);

    auto* gbScreens = new QGroupBox("Экраны", this);
    auto* screens = new QVBoxLayout(gbScreens);
    rbCurrent = new QRadioButton("&Текущий экран", gbScreens);
    rbAll = new QRadioButton(QString("&Все экраны друг под другом (%1)").arg(question.ScreenCount),
                             gbScreens);
    rbCurrent->setChecked(true);
    rbAll->setEnabled(question.ScreenCount > 1);
    screens->addWidget(rbCurrent);
    screens->addWidget(rbAll);
    layout->addWidget(gbScreens);

    auto* gbSize = new QGroupBox("Размер одного экрана, точек", this);
    auto* size = new QGridLayout(gbSize);
    rbWindowSize = new QRadioButton(
        QString("Как в &окне: %1 × %2").arg(windowSize_.width()).arg(windowSize_.height()), gbSize);
    rbOwnSize = new QRadioButton("&Заданный:", gbSize);
    seWidth = new QSpinBox(gbSize);
    seHeight = new QSpinBox(gbSize);
    seWidth->setRange(kMinPictureWidth, kMaxPictureSide);
    seHeight->setRange(kMinPictureHeight, kMaxPictureSide);
    seWidth->setValue(std::max(windowSize_.width(), kMinPictureWidth));
    seHeight->setValue(std::max(windowSize_.height(), kMinPictureHeight));
    rbWindowSize->setChecked(true);
    size->addWidget(rbWindowSize, 0, 0, 1, 4);
    auto* typed = new QHBoxLayout;
    typed->addWidget(rbOwnSize);
    typed->addWidget(seWidth);
    typed->addWidget(new QLabel("×", gbSize));
    typed->addWidget(seHeight);
    typed->addStretch(1);
    size->addLayout(typed, 1, 0, 1, 4);
    layout->addWidget(gbSize);

    auto* hint = new QLabel("Формат выбирается расширением файла: PNG, SVG или PDF", this);
    layout->addWidget(hint);
    QDialogButtonBox* buttons = AcceptCancelButtons(this, &btnOk, &btnCancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(rbOwnSize, &QRadioButton::toggled, this, &TDlgExportPicture::UpdateControls);
    UpdateControls();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgExportPicture::UpdateControls() {
    seWidth->setEnabled(rbOwnSize->isChecked());
    seHeight->setEnabled(rbOwnSize->isChecked());
}

TPictureExportChoice TDlgExportPicture::Choice() const {
    TPictureExportChoice choice;
    choice.AllScreens = rbAll->isChecked();
    choice.Size = rbOwnSize->isChecked() ? QSize(seWidth->value(), seHeight->value()) : windowSize_;
    return choice;
}

}  // namespace kvaril
