#include "ui/Dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <typeinfo>

#include "Errors.h"
#include "osc/DlgExportData.h"
#include "osc/DlgExportPicture.h"
#include "ui/DlgFont.h"
#include "ui/DlgModelParams.h"
#include "ui/DlgName.h"
#include "ui/DlgSignalReorder.h"

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

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& title,
                                          const QString& text) {
    return std::make_unique<QMessageBox>(QMessageBox::Critical, "Kvaril: Сообщение об ошибке",
                                         title + "\n" + text, QMessageBox::Ok, parent);
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

bool TDialogs::ModelParams(QWidget* parent, TSignals& signals) {
    TDlgModelParams dialog(parent, signals);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> TDialogs::Font(QWidget* parent, const QFont& initial) {
    TDlgFont dialog(parent, initial);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.Result();
}

void TDialogs::Beep() { QApplication::beep(); }

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
