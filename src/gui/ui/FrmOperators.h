#pragma once
// The operator pop-up: a borderless pale-yellow list of templates next to the caret.

#include <QDialog>
#include <vector>

#include "editing/OperatorTemplates.h"

class QTreeWidget;

namespace kvaril {

class TSignals;

class TfrmOperators : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmOperators(QWidget* parent);

    // Filled each time from the current signals; then shown modally at `pos` (kept on screen).
    int Choose(const TSignals& signals, int currentSignal, int insertColumn, QPoint pos);
    // The chosen entry expanded for the caret column given to Choose.
    TExpansion Expanded() const;

    QTreeWidget* lstOp;
    int CurrentSignal = 0;
    int InsertColumn = 1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Fill(const TSignals& signals);
    // What column `column` needs to show every entry whole (it is set to that width).
    int ContentWidth(int column);
    std::vector<TOperatorTemplate> templates_;
};

}  // namespace kvaril
