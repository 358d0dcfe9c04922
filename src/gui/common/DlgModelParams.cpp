#include "common/DlgModelParams.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/uCommon.h"
#include "common/Dialogs.h"
#include "common/QtText.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"

namespace kvaril {

TDlgModelParams::TDlgModelParams(QWidget* parent, TSignals& signals, int32_t maxQuanta)
    : QDialog(parent), signals_(signals), maxQuanta_(maxQuanta) {
    setWindowTitle("Параметры моделирования");
    MakeFixedDialog(this);
    auto* layout = new QVBoxLayout(this);

    auto* times = new QGroupBox(this);
    auto* form = new QFormLayout(times);
    edQuantTime = new QLineEdit(FromUtf8(FormatFloat(signals.QuantTime())), times);
    edQuantTime->setToolTip("Период квантования АЦП (сек)");
    edTotalTime = new QLineEdit(FromUtf8(FormatFloat(signals.TotalTime())), times);
    edTotalTime->setToolTip("Общее время моделирования (сек)");
    form->addRow(new QLabel("Время квантования:", times), edQuantTime);
    form->addRow(new QLabel("Время моделирования:", times), edTotalTime);
    lblQuanta = new QLabel(times);
    lblQuanta->setObjectName("lblQuanta");
    form->addRow(lblQuanta);
    layout->addWidget(times);

    auto* gbDescription = new QGroupBox(" Описание ", this);
    auto* description = new QVBoxLayout(gbDescription);
    description->addWidget(
        new QLabel("Значения времен задаются в секундах. Минимальное \n"
                   "значение кванта - 1e-6 сек. Отношение времени \n"
                   "моделирования ко времени кванта не может быть очень \n"
                   "маленьким или очень большим",
                   gbDescription));
    layout->addWidget(gbDescription);

    QDialogButtonBox* buttons = AcceptCancelButtons(this, &btnOk, &btnCancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TDlgModelParams::btnOkClick);
    connect(edQuantTime, &QLineEdit::textChanged, this, &TDlgModelParams::UpdateQuanta);
    connect(edTotalTime, &QLineEdit::textChanged, this, &TDlgModelParams::UpdateQuanta);
    UpdateQuanta();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgModelParams::UpdateQuanta() {
    const TQuantaPreview preview =
        PreviewQuanta(ToUtf8(edQuantTime->text()), ToUtf8(edTotalTime->text()),
                      signals_.QuantTime(), signals_.TotalTime(), maxQuanta_);
    lblQuanta->setText(FromUtf8(preview.Text));
    // A grid no model can run is still accepted (the build refuses it), but said at once, where
    // it can still be mended.
    QPalette palette = lblQuanta->palette();
    palette.setColor(QPalette::WindowText, preview.Allowed
                                               ? this->palette().color(QPalette::WindowText)
                                               : QColor(192, 0, 0));
    lblQuanta->setPalette(palette);
}

void TDlgModelParams::btnOkClick() {
    // The quantization time first: the total time is snapped to its grid.
    signals_.SetQuantTime(StrToFloatDefault(ToUtf8(edQuantTime->text()), signals_.QuantTime()));
    signals_.SetTotalTime(StrToFloatDefault(ToUtf8(edTotalTime->text()), signals_.TotalTime()));
    accept();
}

}  // namespace kvaril
