#include "common/DlgExportData.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/Dialogs.h"

namespace kvaril {

TDlgExportData::TDlgExportData(QWidget* parent, const TDataExportQuestion& question)
    : QDialog(parent) {
    setWindowTitle("Экспорт данных");
    MakeFixedDialog(this);
    auto* layout = new QVBoxLayout(this);
    auto* beams = new QLabel("Лучи: " + question.Beams, this);
    beams->setTextFormat(Qt::PlainText);
    beams->setWordWrap(true);
    layout->addWidget(beams);

    auto* gbSpan = new QGroupBox("Интервал времени", this);
    auto* span = new QGridLayout(gbSpan);
    rbWindow = new QRadioButton("Окно &экрана (от T0 до T1)", gbSpan);
    rbWholeRun = new QRadioButton("&Весь запуск", gbSpan);
    rbMarkers = new QRadioButton("Между &метками", gbSpan);
    cbMarkerA = new QComboBox(gbSpan);
    cbMarkerB = new QComboBox(gbSpan);
    cbMarkerA->addItems(question.Markers);
    cbMarkerB->addItems(question.Markers);
    if (question.Markers.size() > 1) cbMarkerB->setCurrentIndex(question.Markers.size() - 1);
    rbWindow->setChecked(true);
    span->addWidget(rbWindow, 0, 0, 1, 3);
    span->addWidget(rbWholeRun, 1, 0, 1, 3);
    span->addWidget(rbMarkers, 2, 0);
    span->addWidget(cbMarkerA, 2, 1);
    span->addWidget(cbMarkerB, 2, 2);
    // The same intervals as every analysis: A..B while the cursors are shown.
    rbCursors = new QRadioButton("Между курсорами &A..B", gbSpan);
    span->addWidget(rbCursors, 3, 0, 1, 3);
    if (question.Cursors.isEmpty()) {
        rbCursors->setEnabled(false);
        rbCursors->setToolTip("Курсоры A/B не показаны (Вид → Курсоры A/B, клавиша C)");
    } else {
        rbCursors->setToolTip(question.Cursors);
    }
    if (question.Markers.size() < 2) {
        rbMarkers->setEnabled(false);
        rbMarkers->setToolTip("На экране нужны две метки времени (щелчок по полосе над графиками)");
    }
    layout->addWidget(gbSpan);

    auto* gbFormat = new QGroupBox("Формат", this);
    auto* format = new QVBoxLayout(gbFormat);
    rbCsv = new QRadioButton("&CSV: текст, столбец t и столбец на сигнал", gbFormat);
    rbWav = new QRadioButton("&WAV: звук, 32-битные отсчеты, канал на сигнал", gbFormat);
    rbCsv->setChecked(true);
    format->addWidget(rbCsv);
    format->addWidget(rbWav);
    layout->addWidget(gbFormat);

    QDialogButtonBox* buttons = AcceptCancelButtons(this, &btnOk, &btnCancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    for (QRadioButton* rb : {rbWindow, rbWholeRun, rbMarkers, rbCursors})
        connect(rb, &QRadioButton::toggled, this, &TDlgExportData::UpdateControls);
    UpdateControls();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgExportData::UpdateControls() {
    cbMarkerA->setEnabled(rbMarkers->isChecked());
    cbMarkerB->setEnabled(rbMarkers->isChecked());
}

TDataExportChoice TDlgExportData::Choice() const {
    TDataExportChoice choice;
    choice.Span = rbMarkers->isChecked()    ? TExportSpan::Markers
                  : rbWholeRun->isChecked() ? TExportSpan::WholeRun
                  : rbCursors->isChecked()  ? TExportSpan::Cursors
                                            : TExportSpan::Window;
    choice.MarkerA = cbMarkerA->currentIndex();
    choice.MarkerB = cbMarkerB->currentIndex();
    choice.Format = rbWav->isChecked() ? TDataFormat::Wav : TDataFormat::Csv;
    return choice;
}

}  // namespace kvaril
