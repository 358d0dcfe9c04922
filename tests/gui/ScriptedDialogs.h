#pragma once
// Dialogs answered by the test: each call takes the next prepared answer and records what was
// asked. An unexpected dialog fails the test instead of waiting for a person.

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "common/Dialogs.h"
#include "document/uSignal.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kvaril::testing {

class ScriptedDialogs : public TDialogs {
  public:
    std::deque<TAnswer> Confirms;
    std::deque<std::optional<QString>> Files;
    std::deque<std::optional<TSignalNameAnswer>> SignalNames;
    std::deque<std::optional<QString>> Names;
    std::deque<std::function<bool(TSignals&)>> Reorders;
    std::deque<std::function<bool(TSignals&)>> Params;
    std::deque<bool> Replaces;  // answers to "replace the existing file?"

    QStringList Asked;   // confirmation texts
    QStringList Errors;  // "title|text"
    QStringList DebugBoxes;
    QStringList ReplaceAsked;  // paths asked about
    QList<TFileDialogSpec> FileDialogs;
    int Beeps = 0;

    TAnswer Confirm(QWidget*, const QString& text) override {
        Asked << text;
        return Take(Confirms, "confirmation", TAnswer::Cancel);
    }
    void Error(QWidget*, const QString& title, const QString& text) override {
        Errors << title + "|" + text;
    }
    // The error box's button that mends the error: pressed when the test says so, else OK.
    std::deque<bool> Mends;
    QStringList MendsOffered;
    bool ErrorOffering(QWidget*, const QString& title, const QString& text,
                       const QString& action) override {
        Errors << title + "|" + text;
        MendsOffered << action;
        if (Mends.empty()) return false;
        const bool mend = Mends.front();
        Mends.pop_front();
        return mend;
    }
    void Debug(QWidget*, const QString& text) override { DebugBoxes << text; }
    std::optional<QString> OpenFile(QWidget*, const TFileDialogSpec& spec) override {
        FileDialogs << spec;
        return Take(Files, "open dialog", std::optional<QString>());
    }
    std::optional<QString> SaveFile(QWidget*, const TFileDialogSpec& spec) override {
        FileDialogs << spec;
        return Take(Files, "save dialog", std::optional<QString>());
    }
    bool ConfirmReplace(QWidget*, const QString&, const QString& path) override {
        ReplaceAsked << path;
        return Take(Replaces, "replace question", false);
    }
    std::optional<TSignalNameAnswer> SignalName(QWidget*) override {
        return Take(SignalNames, "signal name dialog", std::optional<TSignalNameAnswer>());
    }
    std::optional<QString> Name(QWidget*, const QString&, const QString&) override {
        return Take(Names, "name dialog", std::optional<QString>());
    }
    bool Reorder(QWidget*, TSignals& signals) override {
        auto f = Take(Reorders, "reorder dialog", std::function<bool(TSignals&)>());
        return f && f(signals);
    }
    bool ModelParams(QWidget*, TSignals& signals, int32_t) override {
        auto f = Take(Params, "parameters dialog", std::function<bool(TSignals&)>());
        return f && f(signals);
    }
    std::deque<std::optional<int>> Choices;
    QList<QStringList> ChoiceLists;  // the items offered
    std::optional<int> Choose(QWidget*, const QString&, const QStringList& items, int) override {
        ChoiceLists << items;
        return Take(Choices, "choice dialog", std::optional<int>());
    }
    std::deque<std::optional<QFont>> Fonts;
    std::optional<QFont> Font(QWidget*, const QFont&) override {
        return Take(Fonts, "font dialog", std::optional<QFont>());
    }
    void Beep() override { ++Beeps; }
    std::deque<std::optional<TDataExportChoice>> DataExports;
    QList<TDataExportQuestion> DataExportAsked;
    std::optional<TDataExportChoice> DataExport(QWidget*,
                                                const TDataExportQuestion& question) override {
        DataExportAsked << question;
        return Take(DataExports, "data export dialog", std::optional<TDataExportChoice>());
    }
    std::deque<std::optional<TPictureExportChoice>> PictureExports;
    QList<TPictureExportQuestion> PictureExportAsked;
    std::optional<TPictureExportChoice> PictureExport(
        QWidget*, const TPictureExportQuestion& question) override {
        PictureExportAsked << question;
        return Take(PictureExports, "picture export dialog", std::optional<TPictureExportChoice>());
    }

    // Each answer to the sweep dialog gets the forms the dialog started from.
    std::deque<
        std::function<std::optional<std::vector<TSweepForm>>(const std::vector<TSweepForm>&)>>
        Sweeps;
    QList<std::vector<TSweepFailure>> SweepFailureTables;
    std::optional<std::vector<TSweepForm>> Sweep(QWidget*, const TSignals&,
                                                 const std::vector<TSweepForm>& previous) override {
        auto answer = Take(Sweeps, "sweep dialog",
                           std::function<std::optional<std::vector<TSweepForm>>(
                               const std::vector<TSweepForm>&)>());
        return answer ? answer(previous) : std::nullopt;
    }
    void SweepFailures(QWidget*, const std::vector<TSweepFailure>& failures, int) override {
        SweepFailureTables << failures;
    }

  private:
    template <typename T>
    T Take(std::deque<T>& queue, const char* what, T fallback) {
        if (queue.empty()) {
            ADD_FAILURE() << "unexpected " << what;
            return fallback;
        }
        std::swap(fallback, queue.front());
        queue.pop_front();
        return fallback;
    }
};

}  // namespace kvaril::testing
