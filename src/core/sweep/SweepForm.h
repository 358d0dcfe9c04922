#pragma once
// A sweep as the window's "Свип" dialog edits it and the settings keep it: per constant, a list
// of values or a range, as typed. Each form becomes the option the command line's --sweep takes
// ("Tone.Freq=50,100" or "Tone.Freq=10:1000:8log"), so the settings hold what the command line
// would, and the sweep is checked by the same rules either way.

#include <string>
#include <vector>

#include "sweep/SweepPlan.h"

namespace kvaril {

class TSignals;

struct TSweepForm {
    std::string Name;             // "Signal.Name", UTF-8
    bool Range = false;           // the range's fields count, not the list
    std::string List;             // "1000, 2000"
    std::string From, To, Count;  // as typed
    bool Logarithmic = false;
    bool operator==(const TSweepForm&) const = default;
};

// "Name=VALUES", spaces left out.
std::string SweepOption(const TSweepForm& form);
// The form an option was made from; an option without "=" is a name with no values.
TSweepForm ParseSweepForm(const std::string& option);

// A constant the dialog offers: only those a sweep may vary.
struct TSweepChoice {
    std::string Name;  // "Signal.Name", UTF-8
    std::string Text;  // "Signal.Name = value", UTF-8
};
std::vector<TSweepChoice> SweepChoices(const TSignals& signals);

// The sweep the forms make, or why there is none; `Text` is what the dialog's live line says:
// "8 прогонов" or the reason (UTF-8).
struct TSweepCheck {
    bool Ok = false;
    std::string Text;
    TSweep Sweep;
};
TSweepCheck CheckSweepForms(const TSignals& signals, const std::vector<TSweepForm>& forms);

// The settings keep the last sweep of each document as one entry: its path, then its options,
// each on a line of its own. The newest entry comes first; at most kRememberedSweeps are kept.
inline constexpr int kRememberedSweeps = 30;
std::vector<TSweepForm> RememberedSweep(const std::vector<std::string>& entries,
                                        const std::string& path);
void RememberSweep(std::vector<std::string>& entries, const std::string& path,
                   const std::vector<TSweepForm>& forms);

}  // namespace kvaril
