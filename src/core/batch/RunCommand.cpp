#include "batch/RunCommand.h"

#include <set>

#include "base/uCommon.h"
#include "batch/SampleCsv.h"
#include "model/ModelGenerator.h"
#include "sweep/SweepPlan.h"

namespace kvaril {

namespace {

constexpr double kMaxTimeoutSeconds = 1e6;  // more than eleven days

struct TParseState {
    TBatchOptions& Options;
    const std::function<bool(std::string_view)>& PictureFormatKnown;
    bool Tolerance = false;
    bool PictureOption = false;  // --size, --screen, --view or --reference
};

// Takes an option's value; returns the reason it cannot, empty when it can.
using TTakeValue = std::string (*)(std::string_view value, TParseState& state);

struct TRunOption {
    const char* Name;
    TTakeValue Take;
};

std::string Selection(std::string_view option, std::string_view value, TParseState& state) {
    std::string error;
    ParseSelectionOption(option, value, state.Options.Selection, error);
    return error;
}

std::string Analysis(std::string_view option, std::string_view value, TParseState& state) {
    ParseAnalysisOption(option, value, state.Options.Analysis);  // any value; checked later
    return {};
}

// An option that only stores its value.
template <std::string TBatchOptions::*Field>
std::string Store(std::string_view value, TParseState& state) {
    state.Options.*Field = value;
    return {};
}

// The form of "Signal.Name=VALUES"; whether the name can be swept needs the document.
std::string Sweep(std::string_view value, TParseState& state) {
    if (static_cast<int>(state.Options.Sweeps.size()) >= kMaxSweepParameters)
        return "--sweep можно задать не больше двух раз";
    const size_t equals = value.find('=');
    if (equals == std::string_view::npos || value.find('.') > equals)
        return "--sweep задается как Сигнал.Имя=значения: " + std::string(value);
    TSweepValues values;
    std::string error;
    if (!ParseSweepValues(value.substr(equals + 1), values, error))
        return "--sweep " + std::string(value.substr(0, equals)) + ": " + error;
    state.Options.Sweeps.emplace_back(value);
    return {};
}

// The table of options. Each entry takes the value and says what is wrong with it.
const TRunOption kRunOptions[] = {
    {"--csv", Store<&TBatchOptions::CsvPath>},
    {"--wav", Store<&TBatchOptions::WavPath>},
    {"--against", Store<&TBatchOptions::AgainstPath>},
    {"--signals", [](std::string_view v, TParseState& s) { return Selection("--signals", v, s); }},
    {"--from", [](std::string_view v, TParseState& s) { return Selection("--from", v, s); }},
    {"--to", [](std::string_view v, TParseState& s) { return Selection("--to", v, s); }},
    {"--stats", [](std::string_view v, TParseState& s) { return Analysis("--stats", v, s); }},
    {"--spectrum", [](std::string_view v, TParseState& s) { return Analysis("--spectrum", v, s); }},
    {"--peaks", [](std::string_view v, TParseState& s) { return Analysis("--peaks", v, s); }},
    {"--window", [](std::string_view v, TParseState& s) { return Analysis("--window", v, s); }},
    {"--peaks-count",
     [](std::string_view v, TParseState& s) { return Analysis("--peaks-count", v, s); }},
    {"--threshold",
     [](std::string_view v, TParseState& s) { return Analysis("--threshold", v, s); }},
    {"--segment", [](std::string_view v, TParseState& s) { return Analysis("--segment", v, s); }},
    {"--sweep", Sweep},
    {"--span",
     [](std::string_view v, TParseState& s) -> std::string {
         s.Options.Span = v;
         if (v == "window" || v == "run" || v == "A..B" || v.starts_with("m")) return {};
         return "Неверный интервал --span: " + std::string(v) + " (window, run, A..B или m1..m2)";
     }},
    {"--timeout",
     [](std::string_view v, TParseState& s) -> std::string {
         // The limit is kept in milliseconds: less than one would mean no limit at all.
         s.Options.TimeoutSeconds = StrToFloatDefault(v, -1);
         if (s.Options.TimeoutSeconds >= 0.001 && s.Options.TimeoutSeconds <= kMaxTimeoutSeconds)
             return {};
         return "Неверное время --timeout: " + std::string(v) + " (от 0.001 до " +
                FormatShortestPlain(kMaxTimeoutSeconds) + " с)";
     }},
    {"--tolerance",
     [](std::string_view v, TParseState& s) -> std::string {
         s.Tolerance = true;
         if (ParseTolerance(std::string(v).c_str(), s.Options.Tolerance)) return {};
         return "Неверный допуск --tolerance: " + std::string(v);
     }},
    {"--png",
     [](std::string_view v, TParseState& s) -> std::string {
         s.Options.Picture.Path = v;
         if (s.PictureFormatKnown(v)) return {};
         return "Неизвестный формат рисунка --png: " + std::string(v) +
                " (нужно расширение .png, .svg или .pdf)";
     }},
    // The picture's own checks (PictureRequest.h), the same the window's export makes.
    {"--size",
     [](std::string_view v, TParseState& s) -> std::string {
         s.PictureOption = true;
         if (ParsePictureSize(v, s.Options.Picture.Width, s.Options.Picture.Height)) return {};
         return "Неверный размер --size: " + std::string(v);
     }},
    {"--screen",
     [](std::string_view v, TParseState& s) -> std::string {
         s.PictureOption = true;
         if (ParsePictureScreen(v, s.Options.Picture.Screen)) return {};
         return "Неверный номер --screen: " + std::string(v) + " (номер с 1 или all)";
     }},
    {"--view",
     [](std::string_view v, TParseState& s) -> std::string {
         s.PictureOption = true;
         if (ParsePictureView(v, s.Options.Picture)) return {};
         return "Неверный вид --view: " + std::string(v) +
                " (через запятую: grid, legend, shared, cursors)";
     }},
    {"--reference",
     [](std::string_view v, TParseState& s) -> std::string {
         s.PictureOption = true;
         s.Options.Picture.Reference = v;
         return {};
     }},
};

const TRunOption* FindOption(std::string_view name) {
    for (const TRunOption& option : kRunOptions)
        if (name == option.Name) return &option;
    return nullptr;
}

// The rules between options, once every option has its value.
std::string CheckTogether(const TParseState& state) {
    const TBatchOptions& options = state.Options;
    if (state.Tolerance && options.AgainstPath.empty())
        return "--tolerance нужен только с --against";
    if ((!options.Analysis.PeakCount.empty() || !options.Analysis.PeakThreshold.empty()) &&
        options.Analysis.PeaksPath.empty())
        return "--peaks-count и --threshold нужны только с --peaks";
    if (!options.Analysis.Response.Segment.empty() && !options.Analysis.Response.Any())
        return "--segment нужен только с --response";
    // A sweep's runs have one CSV column or statistics row each, and the picture overlays
    // them (with no reference run behind them); the other outputs would need a form for many
    // runs first.
    if (!options.Sweeps.empty() && (!options.WavPath.empty() || !options.AgainstPath.empty() ||
                                    !options.Picture.Reference.empty()))
        return "--sweep пишет --csv, --stats, --spectrum, --peaks, --measure, --response и --png "
               "(не --wav, --against, --reference)";
    if (!options.Span.empty() && (options.Selection.From || options.Selection.To))
        return "--span и --from/--to задают один интервал: укажите что-то одно";
    if (state.PictureOption && options.Picture.Path.empty())
        return "--size, --screen, --view и --reference нужны только с --png";
    if (!options.Picture.Path.empty())
        return CheckSheetSize(options.Picture.Width, options.Picture.Height);
    return {};
}

}  // namespace

std::string ParseRunCommand(const std::vector<std::string>& arguments, TBatchOptions& options,
                            const std::function<bool(std::string_view)>& pictureFormatKnown) {
    if (arguments.empty()) return "Не задан документ";
    options.Document = arguments[0];
    TParseState state{options, pictureFormatKnown};
    std::set<std::string> given;
    for (size_t i = 1; i < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        // Only --sweep may come twice (its own rule counts); any other option given again
        // would silently win over the first.
        if (name != "--sweep" && !given.insert(name).second)
            return "Параметр " + name + " задан дважды";
        // The one option without a value: long runs (ModelGenerator.h).
        if (name == "--long") {
            options.MaxQuanta = kLongMaxQuanta;
            --i;
            continue;
        }
        // The options with two values: what is asked, then the file.
        if (name == "--response") {
            if (i + 2 >= arguments.size())
                return "--response задается как Вход:Выход[,Выход2...] ФАЙЛ";
            std::string error;
            TResponseRequest& response = options.Analysis.Response;
            if (!ParseResponseSignals(arguments[i + 1], response, error)) return error;
            response.Path = arguments[i + 2];
            ++i;
            continue;
        }
        if (name == "--measure") {
            if (i + 2 >= arguments.size()) return "--measure задается как СПИСОК ФАЙЛ";
            std::string error;
            TMeasureRequest& measure = options.Analysis.Measure;
            if (!ParseMeasureList(arguments[i + 1], measure, error)) return error;
            measure.Path = arguments[i + 2];
            ++i;
            continue;
        }
        if (i + 1 >= arguments.size()) return "Нет значения у параметра " + name;
        const TRunOption* option = FindOption(name);
        if (!option) return "Неизвестный параметр " + name;
        if (std::string error = option->Take(arguments[i + 1], state); !error.empty()) return error;
    }
    return CheckTogether(state);
}

}  // namespace kvaril
