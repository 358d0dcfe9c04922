#include "osc/OscTimeView.h"

#include <algorithm>
#include <cmath>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/OscContext.h"
#include "osc/OscCursors.h"
#include "osc/OscTime.h"
#include "osc/WindowTexts.h"

namespace kvaril {

void TOscTimeView::SetGraphWidth(int width) { context_.SetGraphWidth(width); }

int TOscTimeView::GraphWidth() const { return context_.GraphWidth(); }

double TOscTimeView::TimeAtColumn(int x) const { return context_.TimeAtColumn(x); }

int TOscTimeView::ClampColumn(int x) const { return context_.ClampColumn(x); }

TTimeFrame TOscTimeView::Frame() const { return context_.Frame(); }

std::string TOscTimeView::T0Text() const {
    const TView* view = context_.Current();
    return view ? WindowTextsOf(*view, context_.Signals.QuantTime()).T0 : std::string();
}

std::string TOscTimeView::T1Text() const {
    const TView* view = context_.Current();
    return view ? WindowTextsOf(*view, context_.Signals.QuantTime()).T1 : std::string();
}

std::string TOscTimeView::CaptionText() const {
    const double q = context_.Signals.QuantTime();
    if (cursors_.Measuring() || cursors_.Stepping())
        return "T: " + FormatOscTime(q, cursors_.DisplayTime());
    const TView* view = context_.Current();
    return view ? WindowTextsOf(*view, q).Width : std::string();
}

TScrollState TOscTimeView::Scroll() const {
    const TView* view = context_.Current();
    return view ? ScrollStateOf(*view, Frame()) : TScrollState{};
}

void TOscTimeView::ScrollTo(int position) {
    context_.Change(TStepKind::Scroll, [&] { FollowScroll(position); });
}

void TOscTimeView::FollowScroll(int position) {
    context_.CommitEntry();
    if (TView* view = context_.Current()) ScrollWindowTo(*view, Frame(), position);
}

void TOscTimeView::ScrollBy(int quanta) {
    context_.Change(TStepKind::Discrete, [&] {
        context_.CommitEntry();  // first: the step is from the window the entry leaves
        const TScrollState s = Scroll();
        ScrollTo(std::clamp(s.Position + quanta, 0, s.Maximum));
    });
}

void TOscTimeView::PanColumns(int from, int to) {
    context_.Change(TStepKind::Pan, [&] {
        context_.CommitEntry();
        TView* view = context_.Current();
        if (!view) return;
        const double dt = (view->T1() - view->T0()) / context_.GraphWidth();
        PanWindow(*view, Frame(), (from - to) * dt);
    });
}

void TOscTimeView::Wheel(int steps, bool pan, int x) {
    context_.Change(TStepKind::Wheel, [&] {
        context_.CommitEntry();
        TView* view = context_.Current();
        if (!view || steps == 0) return;
        const double width = view->T1() - view->T0();
        if (pan)
            PanWindow(*view, Frame(), -steps * width / 10);
        else
            ZoomWindow(*view, Frame(), TimeAtColumn(x), std::pow(0.8, steps));
    });
}

}  // namespace kvaril
