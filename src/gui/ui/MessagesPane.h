#pragma once
// "Сообщения": while the oscilloscope stands beside the editor, the builds' and runs' errors are
// listed here instead of in boxes that would interrupt the typing. One row per message; a click
// takes the editor to its place. Hidden while there is nothing to say.

#include <QWidget>
#include <optional>

#include "model/ModelOutcome.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace kvaril {

class TMessagesPane : public QWidget {
    Q_OBJECT
  public:
    explicit TMessagesPane(QWidget* parent);

    void Clear();
    // `signal`: the signal's name, empty for a message about no signal in particular.
    void Add(const QString& signal, const std::optional<TSourceLocation>& place,
             const QString& text);
    int Count() const;

  Q_SIGNALS:
    void PlaceChosen(int signalIndex, int line, int column);

  private:
    void Choose(QTreeWidgetItem* item);

    QTreeWidget* list_;
};

}  // namespace kvaril
