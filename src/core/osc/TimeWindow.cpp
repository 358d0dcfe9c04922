#include "osc/TimeWindow.h"

#include <algorithm>

#include "base/uCommon.h"
#include "document/uBeam.h"
#include "osc/OscTime.h"

namespace kvaril {

namespace {

double Width(const TView& view) { return view.T1() - view.T0(); }

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

double Term(const TView& view, const TTimeFrame& f, const std::string& term, double fallback) {
    switch (term[0]) {
        case 'D':
            return Width(view);
        case 'Q':
            return f.Q;
        case 'T':
            return f.T;
        case 'm': {
            const int i = MarkerIndex(term);
            return i >= 0 && i < view.TimeLabelCount() ? view.TimeLabel(i).Time() : fallback;
        }
        default:
            return StrToFloatDefault(term, fallback);
    }
}

// The first operator `op` of the text; the sign of a number's exponent (2E-5) is none.
size_t FindOperator(const std::string& text, char op) {
    for (size_t p = text.find(op); p != std::string::npos; p = text.find(op, p + 1)) {
        const bool exponentSign =
            (op == '+' || op == '-') && p >= 2 && (text[p - 1] == 'E' || text[p - 1] == 'e') &&
            ((text[p - 2] >= '0' && text[p - 2] <= '9') || text[p - 2] == '.');
        if (!exponentSign) return p;
    }
    return std::string::npos;
}

// Within 0 .. T before anything is counted in quanta: a typed 1E15 is the run's end, not a
// count that overflows. NaN passes, for the callers' own fallbacks.
double WithinRun(const TTimeFrame& f, double x) { return x < 0 ? 0 : x > f.T ? f.T : x; }

}  // namespace

void SetWindowStart(TView& view, const TTimeFrame& f, double x) {
    const double d = Width(view);
    double s = SnapToQuant(f.Q, WithinRun(f, x));
    if (!(s >= 0)) s = 0;
    double e = s + d;
    if (e > f.T) {
        e = f.T;
        s = f.T - d;
    }
    view.SetT0(s);
    view.SetT1(e);
}

void SetWindowEnd(TView& view, const TTimeFrame& f, double x) {
    const double d = Width(view);
    double e = SnapToQuant(f.Q, WithinRun(f, x));
    if (e > f.T) e = f.T;
    if (e - d >= 0) {
        view.SetT0(e - d);
        view.SetT1(e);
    } else {
        view.SetT0(0);
        view.SetT1(d);
    }
}

void SetWindowLength(TView& view, const TTimeFrame& f, double x) {
    double w = SnapToQuant(f.Q, WithinRun(f, x));
    if (!(w >= f.MinInterval)) w = f.MinInterval;
    if (w > f.T) w = f.T;
    double e = view.T0() + w;
    if (e > f.T) {
        view.SetT0(f.T - w);
        e = f.T;
    }
    view.SetT1(e);
}

void SetWindowRange(TView& view, const TTimeFrame& f, double e, double s) {
    auto clamp = [&f](double v) { return v >= 0 ? std::min(v, f.T) : 0.0; };
    s = clamp(s);
    e = clamp(e);
    if (!(e - s >= f.MinInterval)) {
        e = s + f.MinInterval;
        if (e > f.T) {
            e = f.T;
            s = f.T - f.MinInterval;
        }
    }
    view.SetT0(s);
    view.SetT1(e);
}

double EvalTimeText(const TView& view, const TTimeFrame& f, const std::string& text,
                    double fallback) {
    size_t p = std::string::npos;
    for (char op : {'*', '/', '+', '-'}) {
        p = FindOperator(text, op);
        if (p != std::string::npos) break;
    }
    if (p == std::string::npos) {
        const std::string term = Trim(text);
        return term.empty() ? fallback : Term(view, f, term, fallback);
    }
    const std::string left = Trim(text.substr(0, p)), right = Trim(text.substr(p + 1));
    if (left.empty() || right.empty()) return fallback;
    const double a = Term(view, f, left, fallback), b = Term(view, f, right, fallback);
    switch (text[p]) {
        case '*':
            return a * b;
        case '+':
            return a + b;
        case '-':
            return a - b;
        default:
            return b > f.Q ? a / b : fallback;
    }
}

void CommitTimeEntry(TView& view, const TTimeFrame& f, TEntryMode mode, const std::string& raw) {
    const std::string text = Trim(raw);
    switch (mode) {
        case TEntryMode::Start:
            SetWindowStart(view, f, EvalTimeText(view, f, text, view.T0()));
            break;
        case TEntryMode::End:
            SetWindowEnd(view, f, EvalTimeText(view, f, text, view.T1()));
            break;
        case TEntryMode::Length: {
            const size_t p = text.find("..");
            if (p == std::string::npos) {
                SetWindowLength(view, f, EvalTimeText(view, f, text, Width(view)));
            } else if (p > 0 && text.size() - p > 2) {
                const double start = EvalTimeText(view, f, text.substr(0, p), view.T0());
                const double end = EvalTimeText(view, f, text.substr(p + 2), view.T1());
                SetWindowRange(view, f, end, start);
            }
            break;
        }
    }
}

std::vector<std::string> EntrySuggestions(const TView& view, TEntryMode mode) {
    std::vector<std::string> s;
    switch (mode) {
        case TEntryMode::Start:
            s = {"0", "T/2"};
            break;
        case TEntryMode::End:
            s = {"T", "T/2"};
            break;
        case TEntryMode::Length:
            return {"D/2", "D*2", "Q*10", "0..T", "0..T/2", "T/2..T", "m1..m2"};
    }
    for (int i = 0; i < view.TimeLabelCount(); ++i) s.push_back(MarkerName(i));
    return s;
}

std::string EntryHint(const TView& view, const TTimeFrame& f, TEntryMode mode) {
    // Built by appending: GCC 12 warns falsely about chained string concatenation here.
    std::string hint;
    switch (mode) {
        case TEntryMode::Start:
            hint = "Значение T0 может быть в пределах от 0 до ";
            hint += FormatOscTime(f.Q, f.T - Width(view));
            break;
        case TEntryMode::End:
            hint = "Значение T1 может быть в пределах от ";
            hint += FormatOscTime(f.Q, Width(view));
            hint += " до ";
            hint += FormatOscTime(f.Q, f.T);
            break;
        case TEntryMode::Length:
            hint = "Значение интервала может быть в пределах от ";
            hint += FormatOscTime(f.Q, f.MinInterval);
            hint += " до ";
            hint += FormatOscTime(f.Q, f.T);
            break;
    }
    return hint;
}

TScrollState ScrollStateOf(const TView& view, const TTimeFrame& f) {
    TScrollState s;
    if (!(f.Q > 0)) return s;
    const long double q = f.Q;
    s.Maximum = static_cast<int>(Round((f.T - Width(view)) / q));
    s.Position = static_cast<int>(Round(view.T0() / q));
    s.LargeStep = std::max(1, static_cast<int>(Round(Width(view) / q)));
    s.SmallStep = std::max(1, s.LargeStep / 10);
    return s;
}

void ScrollWindowTo(TView& view, const TTimeFrame& f, int position) {
    const double d = Width(view);
    double s = position * f.Q;
    double e = s + d;
    if (e > f.T) {
        s = f.T - d;
        e = f.T;
    }
    view.SetT0(s);
    view.SetT1(e);
}

void ZoomWindow(TView& view, const TTimeFrame& f, double anchor, double factor) {
    const double d = Width(view);
    double w = SnapToQuant(f.Q, d * factor);
    w = std::clamp(w, f.MinInterval, f.T);
    if (w == d) return;
    // The anchor keeps its share of the window.
    const double share = d > 0 ? (anchor - view.T0()) / d : 0;
    double s = SnapToQuant(f.Q, anchor - share * w);
    s = std::clamp(s, 0.0, std::max(0.0, f.T - w));
    SetWindowRange(view, f, s + w, s);
}

void PanWindow(TView& view, const TTimeFrame& f, double delta) {
    SetWindowStart(view, f, view.T0() + delta);
}

}  // namespace kvaril
