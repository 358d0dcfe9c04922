#include "common/DlgSweep.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/Dialogs.h"
#include "common/QtText.h"

namespace kvaril {

namespace {

// Names compare as Pascal compares them.
int FindChoice(const std::vector<TSweepChoice>& choices, const std::string& name) {
    const QString wanted = FromUtf8(name);
    for (size_t i = 0; i < choices.size(); ++i)
        if (FromUtf8(choices[i].Name).compare(wanted, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

TDlgSweep::TDlgSweep(QWidget* parent, const TSignals& signals,
                     const std::vector<TSweepForm>& previous)
    : QDialog(parent), signals_(signals), choices_(SweepChoices(signals)) {
    setWindowTitle("Свип");
    MakeFixedDialog(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeRow(0));
    layout->addWidget(MakeRow(1));

    lblCheck = new QLabel(this);
    lblCheck->setObjectName("lblCheck");
    layout->addWidget(lblCheck);
    auto* hint = new QLabel(
        "Каждый набор значений строится и запускается отдельно, на всех ядрах сразу;\n"
        "документ не меняется. Список: 1000, 2000, 4000. Диапазон: от, до и число\n"
        "значений, на логарифмической оси - равные отношения соседних значений.",
        this);
    hint->setEnabled(false);
    layout->addWidget(hint);

    QDialogButtonBox* buttons = AcceptCancelButtons(this, &btnOk, &btnCancel);
    btnOk->setText("Запустить");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    for (size_t i = 0; i < previous.size() && i < Rows.size(); ++i)
        Fill(static_cast<int>(i), previous[i]);
    Check();
    // The values are what is typed first; the constant is usually the one offered.
    (Rows[0].rbRange->isChecked() ? Rows[0].edFrom : Rows[0].edList)->setFocus();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TDlgSweep::MakeRow(int index) {
    const QString n = QString::number(index + 1);
    auto* box = new QGroupBox(index == 0 ? "Константа" : "Вторая константа", this);
    auto* grid = new QGridLayout(box);
    TRow& row = Rows[static_cast<size_t>(index)];

    row.cbConstant = new QComboBox(box);
    row.cbConstant->setObjectName("cbConstant" + n);
    if (index > 0) row.cbConstant->addItem("нет");
    for (const TSweepChoice& choice : choices_) row.cbConstant->addItem(FromUtf8(choice.Text));
    grid->addWidget(row.cbConstant, 0, 0, 1, 7);

    row.rbList = new QRadioButton("Список:", box);
    row.rbList->setObjectName("rbList" + n);
    row.edList = new QLineEdit(box);
    row.edList->setObjectName("edList" + n);
    row.edList->setPlaceholderText("1000, 2000, 4000");
    grid->addWidget(row.rbList, 1, 0);
    grid->addWidget(row.edList, 1, 1, 1, 6);

    row.rbRange = new QRadioButton("Диапазон: от", box);
    row.rbRange->setObjectName("rbRange" + n);
    row.edFrom = new QLineEdit(box);
    row.edFrom->setObjectName("edFrom" + n);
    row.edTo = new QLineEdit(box);
    row.edTo->setObjectName("edTo" + n);
    row.edCount = new QLineEdit(box);
    row.edCount->setObjectName("edCount" + n);
    row.chLog = new QCheckBox("логарифмический", box);
    row.chLog->setObjectName("chLog" + n);
    grid->addWidget(row.rbRange, 2, 0);
    grid->addWidget(row.edFrom, 2, 1);
    grid->addWidget(new QLabel("до", box), 2, 2);
    grid->addWidget(row.edTo, 2, 3);
    grid->addWidget(new QLabel("значений", box), 2, 4);
    grid->addWidget(row.edCount, 2, 5);
    grid->addWidget(row.chLog, 3, 1, 1, 6);
    for (QLineEdit* edit : {row.edFrom, row.edTo, row.edCount}) edit->setMaximumWidth(90);

    auto* mode = new QButtonGroup(box);
    mode->addButton(row.rbList);
    mode->addButton(row.rbRange);
    row.rbList->setChecked(true);

    connect(row.cbConstant, &QComboBox::currentIndexChanged, this, &TDlgSweep::Check);
    for (QLineEdit* edit : {row.edList, row.edFrom, row.edTo, row.edCount})
        connect(edit, &QLineEdit::textChanged, this, &TDlgSweep::Check);
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{row.rbList, row.rbRange, row.chLog})
        connect(button, &QAbstractButton::toggled, this, &TDlgSweep::Check);
    // Typing into a field picks its way of giving the values.
    connect(row.edList, &QLineEdit::textEdited, row.rbList,
            [button = row.rbList] { button->setChecked(true); });
    for (QLineEdit* edit : {row.edFrom, row.edTo, row.edCount})
        connect(edit, &QLineEdit::textEdited, row.rbRange,
                [button = row.rbRange] { button->setChecked(true); });
    return box;
}

void TDlgSweep::Fill(int index, const TSweepForm& form) {
    TRow& row = Rows[static_cast<size_t>(index)];
    const int choice = FindChoice(choices_, form.Name);
    if (choice < 0) return;  // the constant is gone from the text: the row starts empty
    row.cbConstant->setCurrentIndex(choice + (index > 0 ? 1 : 0));
    row.edList->setText(FromUtf8(form.List));
    row.edFrom->setText(FromUtf8(form.From));
    row.edTo->setText(FromUtf8(form.To));
    row.edCount->setText(FromUtf8(form.Count));
    row.chLog->setChecked(form.Logarithmic);
    (form.Range ? row.rbRange : row.rbList)->setChecked(true);
}

std::vector<TSweepForm> TDlgSweep::Forms() const {
    std::vector<TSweepForm> forms;
    for (size_t i = 0; i < Rows.size(); ++i) {
        const TRow& row = Rows[i];
        const int choice = row.cbConstant->currentIndex() - (i > 0 ? 1 : 0);
        if (choice < 0 || choice >= static_cast<int>(choices_.size())) continue;
        TSweepForm form;
        form.Name = choices_[static_cast<size_t>(choice)].Name;
        form.Range = row.rbRange->isChecked();
        form.List = ToUtf8(row.edList->text());
        form.From = ToUtf8(row.edFrom->text());
        form.To = ToUtf8(row.edTo->text());
        form.Count = ToUtf8(row.edCount->text());
        form.Logarithmic = row.chLog->isChecked();
        forms.push_back(form);
    }
    return forms;
}

void TDlgSweep::Check() {
    // A row without a constant has nothing to fill in.
    for (size_t i = 1; i < Rows.size(); ++i) {
        const bool used = Rows[i].cbConstant->currentIndex() > 0;
        for (QWidget* field : std::initializer_list<QWidget*>{
                 Rows[i].rbList, Rows[i].edList, Rows[i].rbRange, Rows[i].edFrom, Rows[i].edTo,
                 Rows[i].edCount, Rows[i].chLog})
            field->setEnabled(used);
    }
    const std::vector<TSweepForm> forms = Forms();
    TSweepCheck check;
    bool untouched = false;
    if (choices_.empty()) {
        check.Text = "В тексте сигналов нет числовых констант";
    } else {
        check = CheckSweepForms(signals_, forms);
        // Empty fields are not yet a mistake: the line says what to do, not what is wrong.
        untouched = !check.Ok && std::any_of(forms.begin(), forms.end(), [](const TSweepForm& f) {
            return f.Range ? f.From.empty() && f.To.empty() && f.Count.empty() : f.List.empty();
        });
        if (untouched) check.Text = "Задайте список значений или диапазон";
    }
    lblCheck->setText(FromUtf8(check.Text));
    QPalette palette = lblCheck->palette();
    palette.setColor(QPalette::WindowText, check.Ok || untouched
                                               ? this->palette().color(QPalette::WindowText)
                                               : QColor(192, 0, 0));
    lblCheck->setPalette(palette);
    btnOk->setEnabled(check.Ok);
}

}  // namespace kvaril
