#include "osc/OscTimeEntry.h"

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/OscContext.h"
#include "osc/OscTime.h"
#include "osc/TimeWindow.h"

namespace kvaril {

TOscTimeEntry::TOscTimeEntry(TOscContext& context) : context_(context) {
    context_.SetEntryCommit([this] { Commit(); });
}

void TOscTimeEntry::Click(TEntryMode mode) {
    context_.CloseStep();
    if (open_) {
        Commit();
        return;
    }
    const TView* view = context_.Current();
    if (!view) return;
    const TTimeFrame f = context_.Frame();
    const double d = view->T1() - view->T0();
    if (mode != TEntryMode::Length && d >= f.T) {
        context_.Warn("На экране отображается полный интервал времен");
        return;
    }
    const double shown = mode == TEntryMode::Start ? view->T0()
                         : mode == TEntryMode::End ? view->T1()
                                                   : d;
    open_ = true;
    mode_ = mode;
    screen_ = context_.CurrentIndex();
    text_ = FormatOscTime(f.Q, shown);
    context_.SetStatus(EntryHint(*view, f, mode));
}

std::vector<std::string> TOscTimeEntry::Suggestions() const {
    const TOsc& osc = context_.Osc;
    const TView* view = open_ && screen_ < osc.ViewCount() ? &osc.View(screen_) : nullptr;
    return view ? EntrySuggestions(*view, mode_) : std::vector<std::string>{};
}

void TOscTimeEntry::SetText(const std::string& text) {
    if (open_) text_ = text;
}

void TOscTimeEntry::Commit() {
    if (!open_) return;
    context_.Change(TStepKind::Discrete, [&] {
        open_ = false;
        TOsc& osc = context_.Osc;
        if (screen_ >= 0 && screen_ < osc.ViewCount())
            CommitTimeEntry(osc.View(screen_), context_.Frame(), mode_, text_);
        screen_ = -1;
        context_.SetStatus("");
    });
}

void TOscTimeEntry::Discard() {
    open_ = false;
    screen_ = -1;
}

}  // namespace kvaril
