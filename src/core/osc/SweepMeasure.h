#pragma once
// One number per run of a sweep, for the "Свип" page: any measure of a signal (Measures.h)
// over an interval
// of time that every run shares. Plus how the page plots the numbers against the swept values:
// one curve per value of the second constant, and which axes are logarithmic.

#include <string>
#include <vector>

#include "analysis/Measures.h"
#include "analysis/Spectrum.h"
#include "analysis/SpectrumPlot.h"
#include "sweep/SweepShown.h"

namespace kvaril {

struct TSweepMeasure {
    int Signal = 0;  // index into the runs' signals
    TMeasure Quantity = TMeasure::Rms;
    double T0 = 0, T1 = 0;                           // the interval, in the runs' times
    TSpectrumWindow Window = TSpectrumWindow::Hann;  // for the peak's measures
};

struct TSweepPoint {
    int Run = 0;
    std::vector<double> Values;  // the swept constants', in the sweep's order
    bool Ok = false;             // the run has samples
    // NaN for a failed run, and where there is nothing to measure (an interval without
    // samples, NaN in it, no peak).
    double Measure = 0;
};

struct TSweepTable {
    std::vector<std::string> Names;  // the swept constants' labels (UTF-8)
    std::vector<TSweepPoint> Rows;   // one per run, in the sweep's order
    bool LogX = false;               // the first constant's range was logarithmic
    // Every measured number is positive and they span more than a decade: an amplitude that
    // falls off a filter's skirt reads as a line, not as a corner. Numbers that may be zero or
    // negative, or that stay within a decade, read better on a linear axis.
    bool LogY = false;
};

// The measure of every run of `sweep`.
TSweepTable MeasureSweep(TSpectrumAnalyzer& analyzer, const TSweepShown& sweep,
                         const TSweepMeasure& measure);

// A run's measure as the page's table shows it: the statistics page's digits, times as the
// oscilloscope writes them, frequencies and levels with their units; "ошибка" for a failed run
// and "нет" where there is nothing to measure.
std::string SweepMeasureText(TMeasure quantity, const TSweepPoint& point, double quantTime);

// The table as tab-separated text for the clipboard: a header of the constants' labels and
// `caption`, then one line per run with plain numbers ("." for the decimal point); a run
// without a measure has an empty cell.
std::string SweepTableText(const TSweepTable& table, const std::string& caption);

// ---- the plot

struct TSweepCurve {
    std::string Label;         // "Q = 0.5" for the second constant's value; empty with one
    std::vector<double> X, Y;  // the first constant's values and the measures
};

// One curve per value of the second constant (one curve with a single constant), its points in
// the first constant's order; runs without a measure are left out.
std::vector<TSweepCurve> SweepCurves(const TSweep& sweep, const TSweepTable& table);

// Where the plot puts values and measures, and its ticks (the spectrum's rules: 1-2-5 steps, or
// decades on a logarithmic axis).
struct TSweepPlotAxes {
    bool LogX = false, LogY = false;
    double XMin = 0, XMax = 1, YMin = 0, YMax = 1;
    int Width = 1, Height = 1;  // of the plot area in pixels

    double X(double value) const;    // 0 .. Width
    double Y(double measure) const;  // Height (YMin) .. 0 (YMax)
    std::vector<TAxisTick> XTicks(int minSpacing = 60) const;
    std::vector<TAxisTick> YTicks(int minSpacing = 30) const;
};

// Axes that show every point of `curves` with a little room about them; a single value or
// measure gets a range about it.
TSweepPlotAxes FitSweepAxes(const std::vector<TSweepCurve>& curves, bool logX, bool logY, int width,
                            int height);

}  // namespace kvaril
