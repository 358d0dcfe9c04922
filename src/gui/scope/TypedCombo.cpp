#include "scope/TypedCombo.h"

#include <QComboBox>
#include <QLineEdit>

namespace kvaril {

void MakeTypedCombo(QComboBox* combo) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // The default completer puts the rest of a matching entry behind the caret: "-" becomes
    // "-1", and that text is what the combo reports.
    combo->setCompleter(nullptr);
    // On Enter the combo looks the text up in its list without regard to case and, on a match,
    // makes that entry current, which replaces the text ("авто" becomes "Авто").
    QObject::disconnect(combo->lineEdit(), &QLineEdit::returnPressed, combo, nullptr);
}

}  // namespace kvaril
