// The oscilloscope's exports: the samples of the picked beams, and pictures of the screens.

#include <QFileInfo>
#include <functional>

#include "base/Errors.h"
#include "common/Dialogs.h"
#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "export/DataExportPlan.h"
#include "export/ExportName.h"
#include "export/OutputPlan.h"
#include "model/RunHistory.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/PaintAreas.h"
#include "scope/PictureExport.h"

namespace kvaril {

namespace {

// The beams an export covers, as the dialog names them.
QString BeamsText(const TSignals& signals, const std::set<int>& selection) {
    QStringList names;
    for (int s : selection)
        if (s >= 0 && s < signals.Count()) names << FromCp1251(signals.Items(s).Name());
    if (names.isEmpty()) return QString("все (%1)").arg(signals.Count());
    return names.join(", ");
}

// Writes one export through an output plan that keeps the open document `document`: a target
// that is the document or no regular file is refused, and a failure leaves the old file as it
// was. `write` fills output `output` of the plan on a thread of its own, with the progress box
// of long work (LongWork.h) after half a second. The reason on failure, empty on success;
// `stopped` when the user stopped it, which leaves no file either.
QString WriteExport(
    QWidget* window, const QString& what, const std::string& document, const QString& path,
    TOutputKind kind,
    const std::function<void(TOutputPlan& plan, int output, const TWorkHooks& hooks)>& write,
    bool& stopped) {
    QString error;
    stopped = !RunLongWork(window, what, [&](const TWorkHooks& hooks) {
        try {
            TOutputPlan plan;
            plan.Protect("открытый документ", document);
            const int output = plan.Add("", ToUtf8(path), kind);
            plan.Prepare();
            write(plan, output, hooks);
            plan.Commit();
        } catch (const EWorkCancelled&) {
            throw;
        } catch (const EKvaril& e) {
            error = QString::fromUtf8(e.what());
        }
    });
    return error;
}

// Where the save dialog of an export of `kind` starts, with the name it offers: the folder that
// kind last wrote to, else the document's; the signal's or the document's name.
TFileDialogSpec ExportDialog(TFileDialogSpec spec, const TSetting<QString>& kind,
                             const TProgramPaths& paths, const std::string& document,
                             const std::vector<std::string>& signalNames) {
    QString folder = ReadSetting(kind);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = document.empty() ? QString() : QFileInfo(FromUtf8(document)).absolutePath();
    spec.Directory = SaveFolder(paths, folder);
    spec.FileName =
        FromUtf8(SuggestedExportName(document, signalNames, ToUtf8(spec.DefaultSuffix)));
    return spec;
}

void RememberExportFolder(const TSetting<QString>& kind, const QString& path) {
    WriteSetting(kind, QFileInfo(path).absolutePath());
}

}  // namespace

void TFormOsc::ExportData() {
    CommitEntry();
    TSignals& signals = workbench_.Signals;
    const TView* view = session_->Current();
    TDataExportQuestion question{BeamsText(signals, session_->Beams().Selection()), {}, {}};
    for (const std::string& text : MarkerTexts(view, signals.QuantTime()))
        question.Markers << FromUtf8(text);
    const std::optional<std::pair<double, double>> cursors = session_->Cursors().ShownInterval();
    if (cursors && view)
        question.Cursors = FromUtf8(
            CursorReadoutOf(*view, signals, TCursorPair{cursors->first, cursors->second}).Header());
    const std::optional<TDataExportChoice> choice = dialogs_.DataExport(this, question);
    if (!choice) return;

    const QString title = "Экспорт данных невозможен";
    TDataRange range;
    try {
        range = ExportRangeOf(signals, view, session_->Beams().Selection(), choice->Span,
                              choice->MarkerA, choice->MarkerB, cursors ? &*cursors : nullptr);
        CheckRangeInData(signals, range);
    } catch (const EKvaril& e) {
        dialogs_.Error(this, title, QString::fromUtf8(e.what()));
        return;
    }
    const bool wav = choice->Format == TDataFormat::Wav;
    // Refused or shifted in time: the user hears it before picking a file.
    const TDataExportCheck check = CheckDataExport(signals, range, choice->Format);
    if (!check.Ok()) {
        dialogs_.Error(this, title, FromUtf8(check.Refusal));
        return;
    }
    if (!check.Warning.empty() &&
        dialogs_.Confirm(this,
                         FromUtf8(check.Warning) +
                             QString(".\nЗаписать файл с частотой %1 Гц?").arg(check.WavRate)) !=
            TAnswer::Yes)
        return;
    const TSetting<QString>& kind = wav ? settings::kExportFolderWav : settings::kExportFolderCsv;
    std::vector<std::string> names;
    for (int s : range.Signals) names.push_back(ToUtf8(FromCp1251(signals.Items(s).Name())));
    const TFileDialogSpec spec = ExportDialog(
        wav ? TFileDialogSpec{"Экспорт данных", "Звуковые файлы (*.wav)", "wav", {}, {}}
            : TFileDialogSpec{"Экспорт данных", "Таблицы CSV (*.csv)", "csv", {}, {}},
        kind, paths_, workbench_.DocumentFile, names);
    const std::optional<QString> path = dialogs_.SaveFile(this, spec);
    if (!path) return;
    bool stopped = false;
    const QString error = WriteExport(
        this, "Экспорт данных", workbench_.DocumentFile, *path,
        wav ? TOutputKind::Binary : TOutputKind::Text,
        [&](TOutputPlan& plan, int output, const TWorkHooks& hooks) {
            WriteDataExport(plan.Sink(output), signals, range, choice->Format, hooks);
        },
        stopped);
    if (stopped) {
        session_->SetStatus("Экспорт данных прерван, файл не записан");
        return;
    }
    if (!error.isEmpty()) {
        dialogs_.Error(this, "Ошибка записи файла " + *path, error);
        return;
    }
    RememberExportFolder(kind, *path);
    session_->SetStatus(DataExportStatus(range, ToUtf8(*path)));
}

void TFormOsc::ExportPicture() {
    CommitEntry();
    const int screen = session_->CurrentScreen();
    if (screen < 0) return;
    const TPictureExportQuestion question{SheetSizeForGraph(pbGraph_->size()),
                                          session_->ScreenCount()};
    const std::optional<TPictureExportChoice> choice = dialogs_.PictureExport(this, question);
    if (!choice) return;
    const TFileDialogSpec spec =
        ExportDialog({"Экспорт рисунка", "PNG (*.png);;SVG (*.svg);;PDF (*.pdf)", "png", {}, {}},
                     settings::kExportFolderPicture, paths_, workbench_.DocumentFile, {});
    const std::optional<QString> path = dialogs_.SaveFile(this, spec);
    if (!path) return;
    TScreensPicture picture;
    if (choice->AllScreens)
        for (int i = 0; i < session_->ScreenCount(); ++i) picture.Screens.push_back(i);
    else
        picture.Screens.push_back(screen);
    // The picture shows what the window shows: the reference run behind, legend and scales.
    picture.Size = choice->Size;
    picture.Reference = session_->References().Reference();
    picture.Options = session_->Picture().LayoutOptions();
    picture.Grid = session_->Picture().ShowGrid();
    // ... and the measuring lines (the cursors at their times on every screen).
    picture.Cursors = session_->Cursors().CursorPairShown();
    picture.CursorTimes = session_->Cursors().CursorTimes();
    picture.MarkerLines = session_->Cursors().MarkerLines();
    QString error = CheckScreensPicture(workbench_.Osc, picture, *path);
    bool stopped = false;
    if (error.isEmpty())
        error = WriteExport(
            this, "Экспорт рисунка", workbench_.DocumentFile, *path, TOutputKind::Binary,
            [&](TOutputPlan& plan, int output, const TWorkHooks& hooks) {
                const QString problem =
                    WriteScreensPicture(workbench_.Osc, workbench_.Signals, picture, *path,
                                        FromUtf8(plan.TemporaryPath(output)), hooks);
                if (!problem.isEmpty()) throw EKvaril(ToUtf8(problem));
            },
            stopped);
    if (stopped)
        session_->SetStatus("Экспорт рисунка прерван, файл не записан");
    else if (error.isEmpty()) {
        RememberExportFolder(settings::kExportFolderPicture, *path);
        session_->SetStatus(ToUtf8("Рисунок сохранен: " + *path));
    } else
        dialogs_.Error(this, "Ошибка записи рисунка", error);
}

}  // namespace kvaril
