#pragma once
// What one step of building or running a model tells the window: success, or a box to show,
// perhaps after moving the editor to a place in a signal, and a status text. Texts are UTF-8.

#include <optional>
#include <string>
#include <vector>

#include "base/ErrorBox.h"

namespace kvaril {

// A place in a signal's text: the signal's position in the list, 1-based line and column.
struct TSourceLocation {
    int SignalIndex = 0;
    int Line = 1;
    int Column = 1;
};

// Signal `From` moved to place `To` of the list, as the reorder dialog moves it.
struct TSignalMove {
    int From = 0;
    int To = 0;
};

struct TModelOutcome {
    bool Ok = false;
    std::optional<TErrorBox> Error;           // shown with ShowError (its title goes to the status)
    std::optional<TSourceLocation> Location;  // the editor goes there before the box appears
    std::optional<std::string> Status;        // shown after the box
    std::optional<TSignalMove> Reorder;       // offered in the box: the move that mends it
    bool Cancelled = false;                   // the user or a time limit stopped it
    // Where a model stopped with an error while it ran: the signal's position in the list and
    // the phase (0 Create, 1 Make, 2 Destroy); −1 when the model could not tell.
    int FailedSignal = -1;
    int FailedPhase = -1;
    double ModelSeconds = 0;  // MainModelProc's own time, when it ran
    // What the model printed (bounded), the files it left in its scratch folder and where that
    // folder is (kept only when it holds files).
    std::string ModelOutput;
    std::vector<std::string> ModelFiles;
    std::string ModelFolder;
    // Said once when models run in a weaker box than usual.
    std::string Notice;

    static TModelOutcome Success() {
        TModelOutcome outcome;
        outcome.Ok = true;
        return outcome;
    }
    static TModelOutcome Failure(std::string title, std::string text) {
        TModelOutcome outcome;
        outcome.Error = TErrorBox{std::move(title), std::move(text)};
        return outcome;
    }
};

}  // namespace kvaril
