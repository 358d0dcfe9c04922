#include "common/DlgFont.h"

#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "common/Dialogs.h"

namespace kvaril {

QFont EditorFontOf(const QString& family, int pointSize) {
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(std::clamp(pointSize, kMinFontSize, kMaxFontSize));
    return font;
}

TDlgFont::TDlgFont(QWidget* parent, const QFont& initial) : QDialog(parent) {
    setObjectName("dlgFont");
    setWindowTitle("Шрифт редактора");
    MakeFixedDialog(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Шрифт:", this), 0, 0);
    grid->addWidget(new QLabel("Размер:", this), 0, 1);
    cbFamily = new QFontComboBox(this);
    cbFamily->setFontFilters(QFontComboBox::MonospacedFonts);
    cbFamily->setEditable(false);
    // "Courier New" is a stand-in name: start from the family it really shows.
    cbFamily->setCurrentFont(QFont(QFontInfo(initial).family()));
    grid->addWidget(cbFamily, 1, 0, Qt::AlignTop);
    lstSize = new QListWidget(this);
    lstSize->setFixedWidth(56);
    const int size = std::clamp(initial.pointSize(), kMinFontSize, kMaxFontSize);
    for (int s = kMinFontSize; s <= kMaxFontSize; ++s) {
        lstSize->addItem(QString::number(s));
        if (s == size) lstSize->setCurrentRow(s - kMinFontSize);
    }
    grid->addWidget(lstSize, 1, 1, 4, 1);
    grid->addWidget(new QLabel("Образец:", this), 2, 0);
    edSample = new QLineEdit("АаБбВв AaBbYyZz 0123", this);
    edSample->setReadOnly(true);
    edSample->setMinimumHeight(40);
    grid->addWidget(edSample, 3, 0);
    grid->setRowStretch(4, 1);
    grid->addWidget(AcceptCancelButtons(this, &btnOk, &btnCancel), 5, 0, 1, 2);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cbFamily, &QFontComboBox::currentFontChanged, this, [this] { UpdateSample(); });
    connect(lstSize, &QListWidget::currentRowChanged, this, [this] { UpdateSample(); });
    UpdateSample();
    resize(360, 240);
}

QFont TDlgFont::Result() const {
    const int row = std::max(lstSize->currentRow(), 0);
    return EditorFontOf(cbFamily->currentFont().family(), kMinFontSize + row);
}

void TDlgFont::UpdateSample() { edSample->setFont(Result()); }

}  // namespace kvaril
