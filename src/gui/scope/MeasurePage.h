#pragma once
// The control panel's page "Измерения" ("Вид → Измерения"): the automatic measures the user
// ticks under "Меры", a row each, and a column per beam in its colour, over the span the
// Статистика page measures; a measure that cannot be made shows its reason, greyed.

#include <QWidget>
#include <vector>

#include "osc/MeasureRows.h"

class QComboBox;
class QTableWidget;
class QToolButton;

namespace kvaril {

class TMeasurePage : public QWidget {
    Q_OBJECT
  public:
    explicit TMeasurePage(QWidget* parent);

    // The measures ticked (remembered in the settings; DefaultMeasures at first).
    const std::vector<TMeasure>& Chosen() const { return chosen_; }
    // Whether each beam's delay and phase from the first beam are shown too.
    bool Pairs() const { return pairs_; }
    void Show(const std::vector<TMeasureColumn>& columns, const std::vector<QColor>& colors,
              const QColor& background, const std::vector<std::string>& suggestions,
              const QString& span, bool spanOk);
    int WantedWidth() const;

  Q_SIGNALS:
    void SpanEdited(const QString& text);
    void ChoiceChanged();

  private:
    std::vector<TMeasure> chosen_;
    bool pairs_ = false;
    QComboBox* span_;
    QToolButton* choose_;
    QTableWidget* grid_;
};

}  // namespace kvaril
