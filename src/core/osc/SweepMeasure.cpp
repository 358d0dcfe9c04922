#include "osc/SweepMeasure.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/SignalStats.h"
#include "document/uSignal.h"
#include "export/DataRange.h"
#include "osc/OscAnalysis.h"
#include "osc/OscTime.h"
#include "plot/Ticks.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool SpansDecadesAbove0(const std::vector<TSweepPoint>& rows) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const TSweepPoint& p : rows) {
        if (std::isnan(p.Measure)) continue;
        if (!(p.Measure > 0) || std::isinf(p.Measure)) return false;
        low = std::min(low, p.Measure);
        high = std::max(high, p.Measure);
    }
    return low <= high && high > 10 * low;
}

// The spectrum's ticks serve any axis: as its frequency axis, `from` at 0 and `to` at `pixels`.
std::vector<TAxisTick> TicksOf(bool log, double from, double to, int pixels, int minSpacing) {
    TSpectrumAxes a;
    a.LogFrequency = log;
    a.FMin = from;
    a.FMax = to;
    a.Width = pixels;
    return FrequencyTicks(a, minSpacing);
}

// [low, high] with a twentieth of the span of room on each side (in decades on a logarithmic
// axis); a single value in the middle of a range about it.
void Widen(bool log, double& low, double& high) {
    if (!(low <= high)) {
        low = log ? 1 : 0;
        high = log ? 10 : 1;
        return;
    }
    if (log) {
        const double room = low == high ? 0.5 : std::log10(high / low) / 20;
        low /= std::pow(10.0, room);
        high *= std::pow(10.0, room);
        return;
    }
    // Measures that differ only in their last digits (the same RMS from every run) are one
    // value: a range of rounding noise would give ticks of nine digits.
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    if (high - low <= 1e-9 * magnitude) low = high = (low + high) / 2;
    const double room = low != high ? (high - low) / 20 : low != 0 ? std::fabs(low) / 10 : 1;
    low -= room;
    high += room;
}

}  // namespace

TSweepTable MeasureSweep(TSpectrumAnalyzer& analyzer, const TSweepShown& sweep,
                         const TSweepMeasure& measure) {
    TSweepTable table;
    for (const TSweepParameter& p : sweep.Sweep.Parameters) table.Names.push_back(p.Label);
    table.LogX = !sweep.Sweep.Parameters.empty() && sweep.Sweep.Parameters[0].Values.Logarithmic;
    const int runs = std::min(sweep.Sweep.RunCount(), static_cast<int>(sweep.Result.Runs.size()));
    for (int run = 0; run < runs; ++run) {
        const TSweepRun& r = sweep.Result.Runs[static_cast<size_t>(run)];
        TSweepPoint point;
        point.Run = run;
        point.Values = sweep.Sweep.ValuesOf(run);
        point.Ok = r.Ok() && r.Signals;
        point.Measure = point.Ok ? MeasureOver(analyzer, *r.Signals, measure.Signal,
                                               QuantsOfRun(*r.Signals, measure.T0, measure.T1,
                                                           r.Signals->Data().SampleCount()),
                                               measure.Quantity, measure.Window)
                                 : kNaN;
        table.Rows.push_back(std::move(point));
    }
    table.LogY = SpansDecadesAbove0(table.Rows);
    return table;
}

std::string SweepMeasureText(TMeasure quantity, const TSweepPoint& point, double quantTime) {
    if (!point.Ok) return "ошибка";
    const double v = point.Measure;
    if (std::isnan(v)) return "нет";
    return MeasureText(quantity, v, quantTime);
}

std::string SweepTableText(const TSweepTable& table, const std::string& caption) {
    std::string text;
    for (const std::string& name : table.Names) text += name + "\t";
    text += caption + "\n";
    for (const TSweepPoint& p : table.Rows) {
        for (double v : p.Values) text += SweepLiteral(v) + "\t";
        if (std::isfinite(p.Measure)) text += SweepLiteral(p.Measure);
        text += "\n";
    }
    return text;
}

std::vector<TSweepCurve> SweepCurves(const TSweep& sweep, const TSweepTable& table) {
    std::vector<TSweepCurve> curves;
    if (sweep.Parameters.empty()) return curves;
    const bool two = sweep.Parameters.size() > 1;
    const int inner = two ? static_cast<int>(sweep.Parameters[1].Values.Values.size()) : 1;
    for (int c = 0; c < inner; ++c) {
        TSweepCurve curve;
        if (two)
            curve.Label = sweep.Parameters[1].Label + " = " +
                          SweepLiteral(sweep.Parameters[1].Values.Values[static_cast<size_t>(c)]);
        // The first constant changes slowest: the runs of one second value are `inner` apart.
        for (size_t r = static_cast<size_t>(c); r < table.Rows.size();
             r += static_cast<size_t>(inner)) {
            const TSweepPoint& p = table.Rows[r];
            if (!std::isfinite(p.Measure) || p.Values.empty()) continue;
            curve.X.push_back(p.Values[0]);
            curve.Y.push_back(p.Measure);
        }
        curves.push_back(std::move(curve));
    }
    return curves;
}

double TSweepPlotAxes::X(double value) const {
    if (LogX)
        return (std::log10(value) - std::log10(XMin)) / (std::log10(XMax) - std::log10(XMin)) *
               Width;
    return (value - XMin) / (XMax - XMin) * Width;
}

double TSweepPlotAxes::Y(double measure) const {
    const double u =
        LogY ? (std::log10(measure) - std::log10(YMin)) / (std::log10(YMax) - std::log10(YMin))
             : (measure - YMin) / (YMax - YMin);
    return Height - u * Height;
}

std::vector<TAxisTick> TSweepPlotAxes::XTicks(int minSpacing) const {
    return TicksOf(LogX, XMin, XMax, Width, minSpacing);
}

std::vector<TAxisTick> TSweepPlotAxes::YTicks(int minSpacing) const {
    std::vector<TAxisTick> ticks = TicksOf(LogY, YMin, YMax, Height, minSpacing);
    for (TAxisTick& t : ticks) t.Pixel = Height - t.Pixel;  // drawn upwards
    return ticks;
}

TSweepPlotAxes FitSweepAxes(const std::vector<TSweepCurve>& curves, bool logX, bool logY, int width,
                            int height) {
    TSweepPlotAxes a;
    a.Width = std::max(1, width);
    a.Height = std::max(1, height);
    a.XMin = a.YMin = HUGE_VAL;
    a.XMax = a.YMax = -HUGE_VAL;
    bool xPositive = true, yPositive = true;
    for (const TSweepCurve& c : curves)
        for (size_t i = 0; i < c.X.size() && i < c.Y.size(); ++i) {
            if (!std::isfinite(c.X[i]) || !std::isfinite(c.Y[i])) continue;
            a.XMin = std::min(a.XMin, c.X[i]);
            a.XMax = std::max(a.XMax, c.X[i]);
            a.YMin = std::min(a.YMin, c.Y[i]);
            a.YMax = std::max(a.YMax, c.Y[i]);
            xPositive = xPositive && c.X[i] > 0;
            yPositive = yPositive && c.Y[i] > 0;
        }
    // A logarithmic axis only for numbers it can show.
    a.LogX = logX && xPositive;
    a.LogY = logY && yPositive;
    Widen(a.LogX, a.XMin, a.XMax);
    Widen(a.LogY, a.YMin, a.YMax);
    return a;
}

}  // namespace kvaril
