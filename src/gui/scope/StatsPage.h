#pragma once
// The control panel's page "Статистика": a span to measure over (the window, or between two
// markers) and a table of the beams' numbers: a row per quantity and a column per beam, headed
// by its name, in the beam's colour, so that every quantity shows in a narrow panel. With a
// sweep shown, a column per beam and run, headed by both names.

#include <QWidget>
#include <string>
#include <vector>

#include "osc/OscAnalysis.h"

class QComboBox;
class QTableWidget;

namespace kvaril {

class TStatsPage : public QWidget {
    Q_OBJECT
  public:
    explicit TStatsPage(QWidget* parent);

    // `colors` holds the beams' colours by ColorIndex; `spanOk` false marks a span that names
    // no markers (the window is measured then).
    void Show(const std::vector<TStatsRow>& rows, const std::vector<QColor>& colors,
              const QColor& background, const std::vector<std::string>& suggestions,
              const QString& span, bool spanOk);

    // The width that shows every column without scrolling.
    int WantedWidth() const;

  Q_SIGNALS:
    void SpanEdited(const QString& text);

  private:
    QComboBox* span_;
    QTableWidget* grid_;
};

}  // namespace kvaril
