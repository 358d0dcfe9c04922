#include "ui/DocumentCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTabBar>

#include "base/Cp1251.h"
#include "base/FileStreams.h"
#include "base/PathRules.h"
#include "base/uCommon.h"
#include "common/Dialogs.h"
#include "common/QtText.h"
#include "common/Workbench.h"
#include "document/DocumentFile.h"
#include "document/LibraryFile.h"
#include "ui/MainWindowPort.h"
#include "ui/SignalEditor.h"

namespace kvaril {

namespace {

const QString kSignalFilter = "Файлы сигналов (*.sig)";
const QString kLibraryFilter = "Файлы библиотеки сигналов (*.txt)";

// The file a dialog's choice really stands for (the extension rule, case kept for an
// existing file).
QString WithExt(const QString& path, const char* ext) {
    return FromUtf8(ChosenWithExtension(ToUtf8(path), ext));
}

QString DirOf(const QString& path) { return FromUtf8(DirectoryOf(ToUtf8(path))); }

}  // namespace

TDocumentCommands::TDocumentCommands(TMainWindowPort& window, TSignalEditor& editor)
    : w_(window),
      editor_(editor),
      lastDocumentDir_(window.Paths().ProjectsDir),
      lastLibraryDir_(window.Paths().ProjectsDir) {}

void TDocumentCommands::New() {
    TWorkbench& wb = w_.Workbench();
    closeAllowed_ = true;
    w_.OscilloscopeInStep();
    if (wb.Signals.HasSignals()) {
        QString question;
        if (wb.Signals.Modified) {
            w_.StoreEditor();
            question = "Сигналы изменены, но не сохранены в файле\nСохранить?";
        } else if (wb.Osc.Modified) {
            question = "Параметры осциллографа изменены, но не сохранены в файле\nСохранить?";
        }
        if (!question.isEmpty()) {
            switch (w_.Dialogs().Confirm(w_.Window(), question)) {
                case TAnswer::Yes:
                    // Nothing saved (the name dialog cancelled, the write failed): the
                    // document must not be thrown away.
                    if (!Save()) {
                        closeAllowed_ = false;
                        return;
                    }
                    break;
                case TAnswer::No:
                    break;
                case TAnswer::Cancel:
                    closeAllowed_ = false;
                    return;
            }
        }
        w_.DocumentGoes();
        wb.Signals.Clear();
        wb.Osc.Clear();
        w_.RebuildTabs(0);
        w_.LoadEditor();
    } else {
        w_.DocumentGoes();
        // Reading appends to the oscilloscope model: start the next document from nothing.
        wb.Osc.Clear();
    }
    wb.Runs.Clear();  // earlier runs belong to the document they ran
    w_.ShowStatus("");
    SetDocumentName("noname");
    w_.UpdateCaption();
}

void TDocumentCommands::SetDocumentName(const QString& name) {
    documentName_ = name;
    w_.Workbench().DocumentFile = name == "noname" ? std::string() : ToUtf8(name);
}

void TDocumentCommands::Open() {
    New();
    if (w_.Workbench().Signals.HasSignals()) return;
    TFileDialogSpec spec{"Открытие файла сигналов", kSignalFilter, "sig", lastDocumentDir_,
                         documentName_ == "noname" ? QString() : documentName_};
    std::optional<QString> path = w_.Dialogs().OpenFile(w_.Window(), spec);
    if (!path) return;
    ReadInto(*path);
}

void TDocumentCommands::OpenPath(const QString& path) {
    New();
    if (w_.Workbench().Signals.HasSignals()) return;
    ReadInto(path);
}

void TDocumentCommands::ReadInto(const QString& path) {
    TWorkbench& wb = w_.Workbench();
    w_.ShowStatus("Загрузка файла...");
    SetDocumentName(WithExt(path, "sig"));
    lastDocumentDir_ = DirOf(documentName_);
    RemoveStaleTempFiles(ToUtf8(lastDocumentDir_));
    try {
        ReadDocument(ToUtf8(documentName_), wb.Signals, wb.Osc);
    } catch (const std::exception& e) {
        // What was read before the error must not be saved over the file later: start empty.
        const QString name = documentName_;
        wb.Signals.Clear();
        wb.Osc.Clear();
        SetDocumentName("noname");
        w_.UpdateCaption();
        w_.RebuildTabs(0);
        w_.ShowError("Ошибка загрузки файла", "Файл: " + name + "\n" + ErrorText(e));
        return;
    }
    w_.UpdateCaption();
    w_.RebuildTabs(0);
    w_.LoadEditor();
    w_.NoteRecentDocument(documentName_);
    w_.ShowStatus("Ok");
}

bool TDocumentCommands::Save() {
    TWorkbench& wb = w_.Workbench();
    if (wb.Signals.IsEmpty()) return false;
    w_.StoreEditor();
    w_.OscilloscopeInStep();
    // A notice of the editor's transfer outlives the save's own "Ok".
    const QString notice = w_.TakeStoreNotice();
    if (documentName_ == "noname" && !AskSaveAsName()) return false;
    w_.ShowStatus("Сохранение файла...");
    try {
        WriteDocument(ToUtf8(documentName_), wb.Signals, wb.Osc);
    } catch (const std::exception& e) {
        w_.ShowError("Ошибка записи файла", "Файл: " + documentName_ + "\n" + ErrorText(e));
        return false;
    }
    w_.UpdateCaption();
    w_.NoteRecentDocument(documentName_);
    w_.ShowStatus(notice.isEmpty() ? QString("Ok") : notice);
    return true;
}

void TDocumentCommands::SaveAs() {
    if (AskSaveAsName()) Save();
}

bool TDocumentCommands::AskSaveAsName() {
    TFileDialogSpec spec{"Сохранение файла сигналов", kSignalFilter, "sig",
                         SaveFolder(DocumentFolder()), documentName_};
    std::optional<QString> path = w_.Dialogs().SaveFile(w_.Window(), spec);
    if (!path) return false;
    const QString name = WithExt(*path, "sig");
    if (!MayReplace(spec.Title, *path, name)) return false;
    SetDocumentName(name);
    lastDocumentDir_ = DirOf(documentName_);
    w_.UpdateCaption();
    return true;
}

bool TDocumentCommands::MayReplace(const QString& title, const QString& chosen,
                                   const QString& written) {
    // The dialog asked about the name typed; the extension rule may lead elsewhere.
    if (written == chosen || !QFileInfo::exists(written)) return true;
    return w_.Dialogs().ConfirmReplace(w_.Window(), title, written);
}

bool TDocumentCommands::CloseQuery() {
    New();
    return closeAllowed_;
}

void TDocumentCommands::SignalAdd() {
    TSignals& signals = w_.Workbench().Signals;
    w_.StoreEditor();
    std::optional<TSignalNameAnswer> answer = w_.Dialogs().SignalName(w_.Window());
    if (!answer) return;
    bool lossless = true;
    const std::string name = ToCp1251(answer->Name, &lossless);
    auto signal = std::make_unique<TSignal>(signals);
    signal->InitTemplate(name, answer->WithDestructor);
    const int index = w_.SelectedTab() + 1;
    signals.Insert(std::move(signal), index);
    w_.RebuildTabs(index);
    w_.LoadEditor();
    PlaceCaretForValue(index);
    if (!lossless) w_.ShowStatus(ReplacedNotice("Символы имени", answer->Name));
}

void TDocumentCommands::SignalFromExcitation(TExcitation kind) {
    TSignals& signals = w_.Workbench().Signals;
    w_.StoreEditor();
    for (const TExcitationInfo& e : Excitations()) {
        if (e.Kind != kind) continue;
        auto signal = std::make_unique<TSignal>(signals);
        const std::string name = FreeSignalName(signals, e.Name);
        signal->SetName(name);
        signal->Lines() = ExcitationLines(kind, name);
        const int index = w_.SelectedTab() + 1;
        signals.Insert(std::move(signal), index);
        w_.RebuildTabs(index);
        w_.LoadEditor();
        w_.ShowStatus("Добавлен сигнал " + FromUtf8(Cp1251ToUtf8(name)));
    }
}

void TDocumentCommands::PlaceCaretForValue(int index) {
    // The skeleton's last "Value := ;" is the one in Make: the caret goes before its semicolon,
    // so the user types the expression at once.
    const std::vector<std::string>& lines = w_.Workbench().Signals.Items(index).Lines();
    static const std::string kValue = "Value := ;";
    for (size_t i = lines.size(); i-- > 0;) {
        const size_t at = lines[i].find(kValue);
        if (at == std::string::npos) continue;
        editor_.SetCaret(static_cast<int>(i) + 1, static_cast<int>(at + kValue.size()));
        editor_.ensureCursorVisible();
        editor_.setFocus();
        return;
    }
}

QString TDocumentCommands::SaveFolder(const QString& preferred) const {
    return kvaril::SaveFolder(w_.Paths(), preferred);
}

QString TDocumentCommands::DocumentFolder() const {
    return documentName_ == "noname" ? lastDocumentDir_ : DirOf(documentName_);
}

void TDocumentCommands::SignalDelete() {
    TSignals& signals = w_.Workbench().Signals;
    const int index = w_.SelectedTab();
    if (index < 0 || index >= signals.Count()) return;
    const QString text =
        "Вы действительно хотите удалить сигнал\n" + FromCp1251(signals.Items(index).Name()) + "?";
    if (w_.Dialogs().Confirm(w_.Window(), text) != TAnswer::Yes) return;
    signals.Delete(index);
    w_.RebuildTabs(index);
    w_.LoadEditor();
}

void TDocumentCommands::SignalRename() {
    TSignals& signals = w_.Workbench().Signals;
    const int index = w_.SelectedTab();
    if (index < 0 || index >= signals.Count()) return;
    w_.StoreEditor();
    TSignal& signal = signals.Items(index);
    std::optional<QString> answer =
        w_.Dialogs().Name(w_.Window(), "Новое имя сигнала", FromCp1251(signal.Name()));
    if (!answer) return;
    bool lossless = true;
    const std::string name = ToCp1251(*answer, &lossless);
    signal.SetText(ReplaceText(signal.GetText(), "Signal_" + signal.Name(), "Signal_" + name));
    signal.SetName(name);
    w_.RebuildTabs(index);
    w_.LoadEditor();
    if (!lossless) w_.ShowStatus(ReplacedNotice("Символы имени", *answer));
}

void TDocumentCommands::SignalReorder() {
    w_.StoreEditor();
    if (!w_.Dialogs().Reorder(w_.Window(), w_.Workbench().Signals)) return;
    w_.RebuildTabs(0);
    w_.LoadEditor();
}

void TDocumentCommands::MoveSignal(int from, int to) {
    w_.StoreEditor();
    w_.Workbench().Signals.Move(from, to);
    w_.RebuildTabs(to);
    w_.LoadEditor();
}

void TDocumentCommands::LibraryLoad() {
    TSignals& signals = w_.Workbench().Signals;
    w_.StoreEditor();
    TFileDialogSpec spec{
        "Открытие библиотечного сигнала", kLibraryFilter, "txt", lastLibraryDir_, {}};
    std::optional<QString> path = w_.Dialogs().OpenFile(w_.Window(), spec);
    if (!path) return;
    lastLibraryDir_ = DirOf(*path);
    std::optional<QString> answer = w_.Dialogs().Name(w_.Window(), "Имя сигнала", "");
    if (!answer) return;
    bool lossless = true;
    const std::string name = ToCp1251(*answer, &lossless);
    auto owned = std::make_unique<TSignal>(signals);
    TSignal& signal = *owned;
    signal.SetName(name);
    const int index = w_.SelectedTab() + 1;
    signals.Insert(std::move(owned), index);
    w_.RebuildTabs(index);
    signal.Lines() = ReadLibraryFile(ToUtf8(WithExt(*path, "txt")));
    signal.SetText(RewriteLibraryIdentifiers(signal.GetText(), name));
    w_.LoadEditor();
    editor_.SetTextModified(true);
    signals.Modified = true;
    if (!lossless) w_.ShowStatus(ReplacedNotice("Символы имени", *answer));
}

void TDocumentCommands::LibrarySave() {
    // A library folder the user went to wins; otherwise the document's own folder.
    const QString start =
        lastLibraryDir_ != w_.Paths().ProjectsDir ? lastLibraryDir_ : DocumentFolder();
    TFileDialogSpec spec{
        "Сохранение сигнала в библиотеке", kLibraryFilter, "txt", SaveFolder(start), {}};
    std::optional<QString> path = w_.Dialogs().SaveFile(w_.Window(), spec);
    if (!path) return;
    lastLibraryDir_ = DirOf(*path);
    const QString name = WithExt(*path, "txt");
    if (!MayReplace(spec.Title, *path, name)) return;
    // Exactly what the editor shows, stored into the signal or not.
    bool lossless = true;
    WriteLibraryFile(ToUtf8(name), SplitLines(editor_.TextCp1251(&lossless)));
    if (!lossless) w_.ShowStatus(ReplacedNotice("Символы текста", editor_.text()));
}

}  // namespace kvaril
