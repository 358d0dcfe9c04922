#pragma once
// The pictures of the tool bar and menus (20 × 20), drawn here so that they look the same on
// every desktop whatever icon theme it has. Indices are those of the action table.

#include <QIcon>

namespace kvaril {

enum TIconIndex {
    icoFileNew = 0,
    icoFileLoad = 1,
    icoFileSave = 2,
    icoSignalAdd = 3,
    icoSignalDelete = 4,
    icoEditUndo = 5,
    icoEditCut = 6,
    icoEditCopy = 7,
    icoEditPaste = 8,
    icoModelRun = 9,
    icoSignalLoad = 11,
    icoSignalSave = 12,
    icoModelCompile = 13,
    icoSignalReorder = 14,
    icoModelParam = 15,
    icoSearchStart = 16,
    icoSearchReplace = 18,
    icoSearchPan = 19,
    icoEditOp = 20,
    icoExit = 21,
};

QIcon MainIcon(int index);
QIcon ApplicationIcon();

}  // namespace kvaril
