#pragma once
// Every message box and dialog the windows show goes through this one interface, so that tests
// can answer them without a person. The default implementation shows the real ones.

#include <QFont>
#include <QString>
#include <QStringList>
#include <exception>
#include <memory>
#include <optional>

#include "common/ExportChoices.h"
#include "sweep/SweepForm.h"
#include "sweep/SweepRun.h"

class QDialog;
class QDialogButtonBox;
class QMessageBox;
class QPushButton;
class QWidget;

namespace kvaril {

class TSignals;

enum class TAnswer { Yes, No, Cancel };

struct TFileDialogSpec {
    QString Title;
    QString Filter;         // "Файлы сигналов (*.sig)"
    QString DefaultSuffix;  // "sig"
    QString Directory;
    QString FileName;
};

struct TSignalNameAnswer {
    QString Name;
    bool WithDestructor = false;
};

// The text of the unexpected-error box for what escaped an event handler of `senderClass`.
QString UnexpectedErrorText(const QString& senderClass, const std::exception& e);

// The box of TDialogs::Error, with the error icon, not yet shown; wide enough for its window
// title, which a narrow box cut short.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& title,
                                          const QString& text);

// A fixed dialog border with only a close box.
void MakeFixedDialog(QDialog* dialog);

// The "Принять" (default) and "Отмена" buttons of our dialogs; Esc cancels.
QDialogButtonBox* AcceptCancelButtons(QDialog* dialog, QPushButton** ok, QPushButton** cancel);

class TDialogs {
  public:
    virtual ~TDialogs() = default;

    // "Kvaril. Требуется подтверждение", question icon, Yes / No / Cancel.
    virtual TAnswer Confirm(QWidget* parent, const QString& text);
    // "Kvaril: Сообщение об ошибке": title, a line break and the text.
    virtual void Error(QWidget* parent, const QString& title, const QString& text);
    // The same box with a button that mends the error beside OK: true when the user chose it.
    virtual bool ErrorOffering(QWidget* parent, const QString& title, const QString& text,
                               const QString& action);
    // "Отладка программы": what escaped an event handler.
    virtual void Debug(QWidget* parent, const QString& text);
    virtual std::optional<QString> OpenFile(QWidget* parent, const TFileDialogSpec& spec);
    virtual std::optional<QString> SaveFile(QWidget* parent, const TFileDialogSpec& spec);
    // The save dialog's own question whether to replace `path`, for a file the dialog did not
    // ask about (the name written differs from the name typed). True: replace it.
    virtual bool ConfirmReplace(QWidget* parent, const QString& title, const QString& path);
    virtual std::optional<TSignalNameAnswer> SignalName(QWidget* parent);
    virtual std::optional<QString> Name(QWidget* parent, const QString& caption,
                                        const QString& preset);
    // Applies the new order to `signals` when confirmed.
    virtual bool Reorder(QWidget* parent, TSignals& signals);
    // Applies the new times to `signals` when confirmed.
    // `maxQuanta`: the limit the live line tells about (ModelGenerator.h).
    virtual bool ModelParams(QWidget* parent, TSignals& signals, int32_t maxQuanta);
    // One of `items` (its index), starting at `current`.
    virtual std::optional<int> Choose(QWidget* parent, const QString& caption,
                                      const QStringList& items, int current);
    // Fixed-pitch fonts only.
    virtual std::optional<QFont> Font(QWidget* parent, const QFont& initial);
    virtual void Beep();
    // What "Экспорт данных..." writes: the time span and the file format.
    virtual std::optional<TDataExportChoice> DataExport(QWidget* parent,
                                                        const TDataExportQuestion& question);
    // "Свип...": the constants to vary and their values, starting from `previous`; the sweep
    // they make is checked against `signals` as it is typed.
    virtual std::optional<std::vector<TSweepForm>> Sweep(QWidget* parent, const TSignals& signals,
                                                         const std::vector<TSweepForm>& previous);
    // The runs of a sweep of `runs` runs that failed.
    virtual void SweepFailures(QWidget* parent, const std::vector<TSweepFailure>& failures,
                               int runs);
    // What "Экспорт рисунка..." draws: one screen or all, and the size.
    virtual std::optional<TPictureExportChoice> PictureExport(
        QWidget* parent, const TPictureExportQuestion& question);
};

}  // namespace kvaril
