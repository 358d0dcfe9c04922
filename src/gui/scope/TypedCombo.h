#pragma once
// An editable combo box whose text belongs to the user: what is typed stays as typed.

class QComboBox;

namespace kvaril {

// Editable, its list only offered: nothing is completed while typing, nothing is added to the
// list, and Enter keeps the text instead of putting in the list's entry that matches it
// regardless of letter case.
void MakeTypedCombo(QComboBox* combo);

}  // namespace kvaril
