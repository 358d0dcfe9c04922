#pragma once
// The multi-beam oscilloscope window: screens as tabs, the control panel with the beam and
// value tables, the label strip, the traces with the measurement cursor, the time panel and the
// scroll bar. Shown modally after every successful run. A view of TOscSession: it forwards the
// user's input there and redraws from there.

#include <QKeySequence>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "common/ProgramPaths.h"
#include "document/OscEnums.h"
#include "sweep/SweepShown.h"

class QAction;
class QKeyEvent;
class QLabel;
class QListWidget;
class QMenu;
class QScrollBar;
class QSplitter;
class QTabBar;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace kvaril {

class TDialogs;
class TFormResponse;
class TMeasurePage;
class TFormSpectrum;
class TStatsPage;
class TSweepPage;
class TGraphArea;
class TLabelStrip;
class TOscSession;
class TSignals;
class TTimePanel;
class TValueGrid;
struct TGraphPicture;
struct TGridLayout;
struct TWorkbench;

class TFormOsc : public QMainWindow {
    Q_OBJECT
  public:
    // `paths`: where the program lives, which exports never write into.
    TFormOsc(TWorkbench& workbench, TDialogs& dialogs, QWidget* owner,
             const TProgramPaths& paths = {});
    ~TFormOsc() override;

    void PrepareForRun();
    // After a run while the window stays open beside the editor: the view is kept wherever
    // the signals still are those it was made for.
    void RefreshAfterRun();
    // Beside the editor: a note that the window shows a run older than the text ("устарело:
    // 2 ошибки"), in the title and the status bar; empty: up to date.
    void SetStale(const QString& note);
    // A sweep's runs drawn over the beams, after PrepareForRun for the workbench's signals (which
    // then hold the first good run's samples); null: back to the current run alone.
    void SetSweep(TSweepShownPtr sweep);
    // Whether the window was prepared for these signals and times.
    bool ShowsRunOf(const TSignals& signals) const;
    // The time being typed is committed, so that the document holds what the window shows.
    void KeepInStep() { CommitEntry(); }
    // Modal in place of the main window, or beside it (each way with its own remembered
    // place); only while the window is hidden.
    void SetBeside(bool beside);
    // Shows the window and returns when it has been closed.
    void ShowModal();
    const TOscSession& Session() const { return *session_; }
    // The spectrum window, once the command has opened it.
    TFormSpectrum* SpectrumWindow() const { return frmSpectrum_; }
    TFormResponse* ResponseWindow() const { return frmResponse_; }

  Q_SIGNALS:
    // The window was closed or hidden (not minimized).
    void Hidden();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint,
                        int icon = -1, const QKeySequence& key = {});
    void CreateActions();
    void CreateMenus();
    void CreateSchemeMenu(QMenu* colour);
    void CreateSpeedBar();
    void ConnectActions();
    void CreateViewMenu();
    void CreateControlPanel();
    // Each returns the width the beam table's captions need.
    int CreateBeamPage();
    int CreateBeamGrid(QWidget* gridPanel);
    void CreateValuePage();
    void CreateScreenArea();
    void ConnectScreenArea();
    void ConnectScrollBar();  // and the screens' tabs
    void ConnectTraces();
    void ConnectLabelStrip();
    void ConnectTimePanel();
    void FitMinimumSize();

    // Runs one user action: errors are reported, then everything is shown anew.
    void Act(const char* sender, const std::function<void()>& body);
    void Refresh();
    void RefreshTabs();
    void RefreshTimes();
    void RefreshEntry();
    void RefreshBeamTable();
    void RefreshValues();
    void RefreshCursor();
    void RefreshStatus();
    void UpdateActions();
    void PaintGraph();
    void PaintLabels();
    void CommitEntry();

    // Measurements beside the traces (FrmOscAnalysis.cpp).
    void CreateAnalysis();
    void CreateStatsPage();
    void WidenForStats();
    void CreateSpectrumAction();
    void CreateResponseAction();
    void CreateGridAction();
    void CreateBeamColorsAction();
    void RefreshStats();
    std::vector<QColor> BeamColors() const;
    bool StepKey(const QKeyEvent& event);
    void ReferenceMenu(int x);
    void ShowSpectrum();
    void ShowResponse();

    // The "Свип" page, there while a sweep is shown (FrmOscSweep.cpp).
    void CreateSweepPage();
    void CreateMeasurePage();
    void ShowMeasurePage(bool on);
    void RefreshMeasures();
    void RefreshSweep();
    void WidenForSweep();

    // The A/B cursors and the marker lines (FrmOscCursors.cpp).
    void CreateCursorActions();
    void RefreshMarkLines();  // the lines over the traces and the cursors' readout
    bool CursorKey(const QKeyEvent& event);
    // A press on the traces near an A/B line starts dragging it; false otherwise.
    bool PressCursorLine(int x);
    // Hover and drag over the traces: the pointer's shape, the dragged cursor. True when a
    // cursor was dragged.
    bool MoveCursorLine(int x);
    bool ReleaseCursorLine();
    bool MarkerToolTip(QEvent* event);
    int MarkWidth() const;  // the strip's click rule: the width of "MM"

    void ViewAdd();
    void ViewDelete();
    void ViewRename();
    // FrmOscExport.cpp
    void ExportPicture();
    void ExportData();
    void CompareWithRun();

    // Where the window goes: its remembered place for the way it is shown, else a default.
    void Place(QWidget* owner);

    TWorkbench& workbench_;
    bool beside_ = false;
    const TProgramPaths paths_;  // where exports may start
    TDialogs& dialogs_;
    std::unique_ptr<TOscSession> session_;
    std::unique_ptr<TGraphPicture> picture_;  // what the trace area shows
    std::unique_ptr<TGridLayout> grid_;
    int warningsShown_ = 0;
    // How many number columns the value table could show when the panel was last widened.
    int panelNumbers_ = 1;
    int panFromX_ = -1;  // the column where a pan drag started, −1 when none
    bool refreshing_ = false;

    QAction *actOscControl_, *actOscExit_, *actViewAdd_, *actViewDelete_, *actViewRename_;
    QAction *actBeamToOneGroup_, *actBeamToManyGroup_, *actExportPicture_, *actExportData_;
    QAction *actOscUndo_, *actOscRedo_, *actBeamFit_, *actCompareRun_, *actPinReference_;
    QTimer* wheelPause_;  // a burst of wheel steps is one undo step
    QAction* mnuScheme_[3];
    QSplitter* tabControlSplit_;
    QTabWidget* tabControl_;
    QListWidget* tsBeamList_;
    QTableWidget* tsBeamGrid_;
    QLabel* tsMaxValueLabel_;
    TValueGrid* tsValueGrid_;
    QWidget* screenArea_;
    QTabBar* tabGraph_;
    TLabelStrip* pbLabels_;
    TGraphArea* pbGraph_;
    TTimePanel* pnlTime_;
    QScrollBar* sbTime_;
    QLabel* pnlStatus_;
    QLabel* tsDeltaLabel_;
    TStatsPage* tsStats_ = nullptr;
    QAction* actSpectrum_ = nullptr;
    QAction* actResponse_ = nullptr;
    QAction* actGrid_ = nullptr;
    QAction* actBeamColors_ = nullptr;
    TFormSpectrum* frmSpectrum_ = nullptr;
    TFormResponse* frmResponse_ = nullptr;
    TSweepPage* tsSweep_ = nullptr;
    TMeasurePage* tsMeasures_ = nullptr;
    QAction* actMeasures_ = nullptr;
    int panelMinimumWithoutSweep_ = -1;  // the panel's minimum width before the page came
    // The A/B cursors and the marker lines.
    QAction* actCursors_ = nullptr;
    QAction* actMarkerLines_ = nullptr;
    QLabel* pnlCursors_ = nullptr;  // the cursors' readout above the traces
};

}  // namespace kvaril
