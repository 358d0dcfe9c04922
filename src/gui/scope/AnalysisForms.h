#pragma once
// What the analysis windows beside the oscilloscope (Спектр, Передаточная функция) and the
// panel's measuring pages (Статистика, Измерения) build alike: a labelled control in a row, the
// list of intervals, bringing a window back to the front, the span box and a table's width.

#include <QString>
#include <string>
#include <vector>

#include "osc/OscAnalysis.h"

class QComboBox;
class QHBoxLayout;
class QTableWidget;
class QWidget;

namespace kvaril {

// `caption` (with its mnemonic) then `buddy`, at the end of `row`.
void AddLabelled(QWidget* owner, const char* caption, QWidget* buddy, QHBoxLayout* row);

// The intervals offered, those not to be chosen greyed ("A..B (нет курсоров)"), `current`
// chosen; the box's signals are held meanwhile.
void FillIntervalBox(QComboBox* box, const std::vector<TSpectrumInterval>& intervals, int current);

// Shown, restored when minimised, raised and activated.
void PresentWindow(QWidget* window);

// An editable box of spans ("Окно", "m1..m2", "A..B").
QComboBox* MakeSpanBox(QWidget* parent, const char* name, const QString& tip);
// Offers `suggestions` and shows `span` without signalling an edit, keeping the caret where the
// user types; a span that names nothing there (`ok` false) is shown in red.
void ShowSpan(QComboBox* box, const std::vector<std::string>& suggestions, const QString& span,
              bool ok);

// The width `page` needs to show every column of `grid` without scrolling.
int TableWantedWidth(const QWidget* page, QTableWidget* grid);

}  // namespace kvaril
