#pragma once
// Measurements the oscilloscope offers beside its traces: the difference between the measured
// instant and a reference marker, statistics of each beam over a span of time, and the spectra
// of chosen beams. Each is plain data computed from a screen and the store, so the window only
// shows texts and numbers and every rule is tested without it.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analysis/Measures.h"
#include "analysis/Spectrum.h"
#include "base/WorkHooks.h"
#include "document/uBeam.h"
#include "sweep/SweepShown.h"

namespace kvaril {

class TBeamGrouping;
class TSignals;
class TView;

// A reading as the value table and the statistics write it: magnitudes below 1e-8 read 0.
std::string ReadingText(double v);

// The value of `signal` at time `t` as the value table reads it: the nearest quantum, never
// beyond the last sample. False when the store holds nothing for it.
bool SampleAt(const TSignals& signals, int signal, double t, double& value);
// The time of the quantum SampleAt reads at `t`; `t` itself when the store holds nothing.
double QuantumTimeOf(const TSignals& signals, double t);

// ---- Δ readout

// The marker the readout measures from: `picked` when it names a label of the screen, else the
// last label at or left of `t`; −1 when there is none.
int ReferenceLabel(const TView& view, double t, int picked);

struct TDeltaCells {
    std::string Reference;  // the value at the reference marker
    std::string Delta;      // value at the instant minus value at the marker
};

struct TDeltaReadout {
    int Reference = -1;             // label index; −1: no marker, every text below empty
    std::string Header;             // "m1 · Δt: 0.25 с · 1/Δt: 4 Гц" (UTF-8)
    std::string DeltaTime;          // Δt as the window writes times
    std::string InverseDelta;       // 1/Δt in Hz; empty when Δt is 0
    std::vector<TDeltaCells> Rows;  // one per value-table row
};

TDeltaReadout MakeDeltaReadout(const TBeamGrouping& grouping, const TView* view,
                               const TSignals& signals, double t, int picked);

// ---- spans of time: one list for every analysis of the screen

extern const char* const kWindowSpan;    // "Окно"
extern const char* const kWholeRunSpan;  // "Весь запуск"
extern const char* const kCursorSpan;    // "A..B"

// The intervals every analysis offers, in one order (UTF-8): the window, the whole run,
// "mI..mJ" for every pair of the screen's labels, and A..B while the cursors are shown.
std::vector<std::string> SpanSuggestions(const TView& view, bool cursors = false);

// The times of a span text: the window for kWindowSpan or an empty text, the run of `signals`
// for kWholeRunSpan, two label times for "mI..mJ" (either order), the cursors' times (either
// order) for kCursorSpan. False, with the window's times, for a text that names nothing there
// (a whole run without `signals` or samples, A..B without `cursors`).
bool ResolveSpan(const TView& view, const std::string& text, double& t0, double& t1,
                 const TSignals* signals = nullptr,
                 const std::pair<double, double>* cursors = nullptr);

// ---- statistics per beam

// A measure's number as the window shows it: the value table's digits, times as the
// oscilloscope writes them, a peak's frequency and level with their units.
std::string MeasureText(TMeasure measure, double value, double quantTime);

struct TStatsRow {
    std::string Name;  // UTF-8
    int ColorIndex = 0;
    bool OwnColor = false;  // a sweep run's column: in Color (its ramp), not by ColorIndex
    TRgb Color{0, 0, 0};
    std::string Cells[kStatisticCount];
};

// One row per value-table row of the screen, over the quanta of [t0, t1]; coloured per beam
// with `beamColors` (BeamColorIndex).
// `hooks` hear of the samples read of all rows' and may stop them (EWorkCancelled).
std::vector<TStatsRow> StatsRows(const TBeamGrouping& grouping, const TView* view,
                                 const TSignals& signals, double t0, double t1,
                                 bool beamColors = false, const TWorkHooks& hooks = {});

// The samples an analysis of `signals` reads per signal over [t0, t1]. Statistics or spectra of
// more than kLongAnalysis samples in all run beside the window, with its progress box.
int64_t AnalysisQuanta(const TSignals& signals, double t0, double t1);
inline constexpr int64_t kLongAnalysis = 1 << 22;

// ---- spectra of chosen beams

struct TBeamSpectrum {
    std::string Name;  // UTF-8
    int ColorIndex = 0;
    TSpectrum Spectrum;
    TSpectralPeak Peak;                // the largest
    std::vector<TSpectralPeak> Peaks;  // the peak table (FindPeaks), largest first
    // Bins drawn faint, as estimates not to be trusted (a response's low coherence); empty:
    // none.
    std::vector<char> Faint;
};

struct TBeamChoice {
    int Signal = 0;
    int ColorIndex = 0;  // as the beam is drawn on the screen; 0 for a beam not shown
};

// The signals `chosen`, or every beam the screen shows when none is chosen.
std::vector<TBeamChoice> ChooseBeams(const TBeamGrouping& grouping, const std::set<int>& chosen,
                                     bool beamColors = false);

// The spectra of `beams` over the quanta of [t0, t1].
// `hooks` hear of the beams done and may stop between them (EWorkCancelled).
std::vector<TBeamSpectrum> BeamSpectra(TSpectrumAnalyzer& analyzer, const TSignals& signals,
                                       const std::vector<TBeamChoice>& beams, double t0, double t1,
                                       TSpectrumWindow window, const TWorkHooks& hooks = {});

// An interval of time a spectrum may cover, as the spectrum window lists it.
struct TSpectrumInterval {
    std::string Caption;    // "Окно", "Весь запуск", "m1..m2", "A..B" (UTF-8)
    double T0 = 0, T1 = 0;  // T0 <= T1
    bool Available = true;  // false: listed but not to be chosen (A..B without cursors)
};

// The screen's time window first, then the whole run, each pair of markers (SpanSuggestions'
// pairs) and last A..B: between `cursors` (tA, tB in either order), unavailable when null.
std::vector<TSpectrumInterval> SpectrumIntervals(const TView& view, const TSignals& signals,
                                                 const std::pair<double, double>* cursors);

// Each beam's peak table anew: its `count` highest peaks at `thresholdDb` or above.
void FindBeamPeaks(std::vector<TBeamSpectrum>& spectra, int count, double thresholdDb);

// What the spectrum window is opened on: taken once, so it keeps its beams and times while the
// oscilloscope moves on. T0, T1 and Span are those of Intervals[Interval] once one is chosen.
struct TSpectrumRequest {
    std::vector<TBeamChoice> Beams;
    double T0 = 0, T1 = 0;
    std::string Span;  // the span's text, for the caption (UTF-8)
    std::vector<TSpectrumInterval> Intervals;
    int Interval = -1;  // index into Intervals; -1 when T0..T1 were given directly
    // A sweep shown in the oscilloscope: its runs' spectra of the beams are overlaid, in the
    // beams' ramps on the oscilloscope's colours.
    TSweepShownPtr Sweep;
    TColorScheme Scheme = TColorScheme::Gray;
};

// Takes Intervals[index] when it exists and is available; false (nothing changed) otherwise.
bool ChooseInterval(TSpectrumRequest& request, int index);
// The index of the interval captioned `caption` that can be chosen; -1 when none.
int FindInterval(const TSpectrumRequest& request, const std::string& caption);

}  // namespace kvaril
