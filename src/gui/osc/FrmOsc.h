#pragma once
// The multi-beam oscilloscope window: screens as tabs, the control panel with the beam and
// value tables, the label strip, the traces with the measurement cursor, the time panel and the
// scroll bar. Shown modally after every successful run.

#include <QMainWindow>
#include <set>

#include "osc/TimeWindow.h"

class QAction;
class QImage;
class QActionGroup;
class QLabel;
class QListWidget;
class QScrollBar;
class QSplitter;
class QTabBar;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace kvaril {

class TDialogs;
class TGraphArea;
class TLabelStrip;
class TTimePanel;
class TValueGrid;
class TView;
struct TGraphPicture;
struct TWorkbench;

class TFormOsc : public QMainWindow {
    Q_OBJECT
  public:
    TFormOsc(TWorkbench& workbench, TDialogs& dialogs, QWidget* owner);
    ~TFormOsc() override;

    void PrepareForRun();
    // Shows the window and returns when it has been closed.
    void ShowModal();

    TView* CurrentView() const;
    void RebuildViewTabs(int index);
    void RefreshAll();
    void ApplyColorScheme();
    void ShowControlPanel();
    void OscStatus(const QString& text);
    void OscWarning(const QString& text);
    QString StatusText() const;
    int ClampCursorX(int x) const;
    double TimeAtX(int x) const;
    void PaintGraph();
    void PaintLabels();
    void ShowTimeTexts();
    void UpdateScrollBar();
    void RedrawValueColumn();
    void RedrawBeamTable();
    void ResizeTables();
    TTimeFrame Frame() const;
    std::set<int> SelectedSignals() const;

    // The time entry: a click on the start (0), end (1) or the middle (2) of the time panel.
    void TimePanelClick(int mode);
    void CommitEntry();

    // The measurement and the label strip, in the trace area's (or strip's) columns.
    void MeasurePress(int x, bool onStrip);
    void MeasureMove(int x);
    void MeasureRelease(int x, bool onStrip);

    void ViewAdd();
    void ViewDelete();
    void ViewRename();
    void SetScheme(int scheme);
    void BeamsToOneGroup();
    void BeamsToManyGroups();
    void ExportPicture();

    double MinInterval = 0;
    double MeasureTime = -1;
    int SavedViewIndex = 0;

    QToolBar* SpeedBar;
    QTabWidget* tabControl;
    QSplitter* tabControlSplit;
    QListWidget* tsBeamList;
    QTableWidget* tsBeamGrid;
    QLabel* tsMaxValueLabel;
    TValueGrid* tsValueGrid;
    QTabBar* tabGraph;
    TLabelStrip* pbLabels;
    TGraphArea* pbGraph;
    TTimePanel* pnlTime;
    QScrollBar* sbTime;
    QLabel* pnlStatus;

    QAction *actOscControl, *actOscExit, *actViewAdd, *actViewDelete, *actViewRename;
    QAction *actBeamToOneGroup, *actBeamToManyGroup, *actExportPicture;
    QAction *mnuGray, *mnuWhite, *mnuBlack;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void CreateActions();
    void CreateWidgets();
    void UpdateActions();
    void ApplyBeamText(int row, const QString& text);
    void Regroup(void (*regroup)(TView&));
    // Resizes an off-screen picture; false (with a warning) when there is no memory for it.
    bool SizePicture(QImage& picture, const QSize& size);
    void FocusScrollBar();
    void Wheel(class QWheelEvent* event);
    void Guard(const char* sender, const std::function<void()>& body);

    TWorkbench& workbench_;
    TDialogs& dialogs_;
    std::unique_ptr<TGraphPicture> picture_;
    bool measureOnStrip_ = false;
    int panFromX_ = -1;  // the column where a pan drag started, −1 when none
    bool rebuildingTabs_ = false;
    bool editingBeams_ = false;
};

}  // namespace kvaril
