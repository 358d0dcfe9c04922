#include "common/Dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <typeinfo>

#include "base/Errors.h"
#include "common/DlgExportData.h"
#include "common/DlgExportPicture.h"
#include "common/DlgFont.h"
#include "common/DlgModelParams.h"
#include "common/DlgName.h"
#include "common/DlgSignalReorder.h"
#include "common/DlgSweep.h"
#include "common/DlgSweepFailures.h"

namespace kvaril {

QString UnexpectedErrorText(const QString& senderClass, const std::exception& e) {
    const auto* kvaril = dynamic_cast<const EKvaril*>(&e);
    return "SenderClass: " + senderClass +
           "\nExceptionClass: " + (kvaril ? kvaril->ClassName() : typeid(e).name()) +
           "\nMessage: " + QString::fromUtf8(e.what());
}

void MakeFixedDialog(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

QDialogButtonBox* AcceptCancelButtons(QDialog* dialog, QPushButton** ok, QPushButton** cancel) {
    auto* buttons = new QDialogButtonBox(dialog);
    *ok = buttons->addButton("Принять", QDialogButtonBox::AcceptRole);
    *cancel = buttons->addButton("Отмена", QDialogButtonBox::RejectRole);
    (*ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

TAnswer TDialogs::Confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, "Kvaril. Требуется подтверждение", text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Yes)->setText("&Да");
    box.button(QMessageBox::No)->setText("&Нет");
    box.button(QMessageBox::Cancel)->setText("Отмена");
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::No:
            return TAnswer::No;
        default:
            return TAnswer::Cancel;
    }
}

void TDialogs::Error(QWidget* parent, const QString& title, const QString& text) {
    std::unique_ptr<QMessageBox> box = MakeErrorBox(parent, title, text);
    box->exec();
}

bool TDialogs::ErrorOffering(QWidget* parent, const QString& title, const QString& text,
                             const QString& action) {
    std::unique_ptr<QMessageBox> box = MakeErrorBox(parent, title, text);
    QPushButton* mend = box->addButton(action, QMessageBox::ActionRole);
    box->setDefaultButton(QMessageBox::Ok);
    box->exec();
    return box->clickedButton() == mend;
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& title,
                                          const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, "Kvaril: Сообщение об ошибке",
                                             title + "\n" + text, QMessageBox::Ok, parent);
    // A message box is as wide as its text, and the window manager cuts the title of a narrow
    // one. Room for the title in a bold face, the window's icon and three buttons of its bar.
    QFont bold = box->font();
    bold.setBold(true);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) +
                           4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 16;
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

void TDialogs::Debug(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, "Отладка программы", text, QMessageBox::Ok, parent);
    box.exec();
}

namespace {

QFileDialog* MakeFileDialog(QWidget* parent, const TFileDialogSpec& spec) {
    auto* dialog = new QFileDialog(parent, spec.Title, spec.Directory, spec.Filter);
    dialog->setDefaultSuffix(spec.DefaultSuffix);
    if (!spec.FileName.isEmpty()) dialog->selectFile(spec.FileName);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    return dialog;
}

}  // namespace

std::optional<QString> TDialogs::OpenFile(QWidget* parent, const TFileDialogSpec& spec) {
    std::unique_ptr<QFileDialog> dialog(MakeFileDialog(parent, spec));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().front();
}

std::optional<QString> TDialogs::SaveFile(QWidget* parent, const TFileDialogSpec& spec) {
    std::unique_ptr<QFileDialog> dialog(MakeFileDialog(parent, spec));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().front();
}

bool TDialogs::ConfirmReplace(QWidget* parent, const QString& title, const QString& path) {
    // Word for word what the file dialog asks (Qt's own text, in Russian through its translator).
    const QString text =
        QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
            .arg(QFileInfo(path).fileName());
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<TSignalNameAnswer> TDialogs::SignalName(QWidget* parent) {
    TDlgName dialog(parent, "Имя сигнала", "", true);
    if (dialog.exec() != QDialog::Accepted) return {};
    return TSignalNameAnswer{dialog.Text(), dialog.WithDestructor()};
}

std::optional<QString> TDialogs::Name(QWidget* parent, const QString& caption,
                                      const QString& preset) {
    TDlgName dialog(parent, caption, preset, false);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Text();
}

std::optional<int> TDialogs::Choose(QWidget* parent, const QString& caption,
                                    const QStringList& items, int current) {
    bool ok = false;
    const QString item =
        QInputDialog::getItem(parent, "Kvaril", caption, items, current, false, &ok);
    if (!ok) return {};
    const int index = static_cast<int>(items.indexOf(item));
    return index >= 0 ? std::optional<int>(index) : std::nullopt;
}

bool TDialogs::Reorder(QWidget* parent, TSignals& signals) {
    TDlgSignalReorder dialog(parent, signals);
    return dialog.exec() == QDialog::Accepted;
}

bool TDialogs::ModelParams(QWidget* parent, TSignals& signals, int32_t maxQuanta) {
    TDlgModelParams dialog(parent, signals, maxQuanta);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> TDialogs::Font(QWidget* parent, const QFont& initial) {
    TDlgFont dialog(parent, initial);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Result();
}

void TDialogs::Beep() { QApplication::beep(); }

std::optional<std::vector<TSweepForm>> TDialogs::Sweep(QWidget* parent, const TSignals& signals,
                                                       const std::vector<TSweepForm>& previous) {
    TDlgSweep dialog(parent, signals, previous);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Forms();
}

void TDialogs::SweepFailures(QWidget* parent, const std::vector<TSweepFailure>& failures,
                             int runs) {
    TDlgSweepFailures dialog(parent, failures, runs);
    dialog.exec();
}

std::optional<TDataExportChoice> TDialogs::DataExport(QWidget* parent,
                                                      const TDataExportQuestion& question) {
    TDlgExportData dialog(parent, question);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Choice();
}

std::optional<TPictureExportChoice> TDialogs::PictureExport(
    QWidget* parent, const TPictureExportQuestion& question) {
    TDlgExportPicture dialog(parent, question);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Choice();
}

}  // namespace kvaril
