#include "sweep/SweepPlan.h"

#include "base/Cp1251.h"
#include "document/uSignal.h"

namespace kvaril {

int TSweep::RunCount() const {
    int count = Parameters.empty() ? 0 : 1;
    for (const TSweepParameter& p : Parameters) count *= static_cast<int>(p.Values.Values.size());
    return count;
}

std::vector<double> TSweep::ValuesOf(int run) const {
    std::vector<double> values(Parameters.size());
    for (size_t i = Parameters.size(); i-- > 0;) {
        const std::vector<double>& own = Parameters[i].Values.Values;
        const int size = static_cast<int>(own.size());
        values[i] = own[static_cast<size_t>(run % size)];
        run /= size;
    }
    return values;
}

std::string TSweep::RunLabel(int run) const {
    const std::vector<double> values = ValuesOf(run);
    std::string label;
    for (size_t i = 0; i < Parameters.size(); ++i)
        label += (i ? "@" : "") + Parameters[i].Label + "=" + SweepLiteral(values[i]);
    return label;
}

std::string TSweep::DisplayLabel(int run) const {
    const std::vector<double> values = ValuesOf(run);
    std::string label;
    for (size_t i = 0; i < Parameters.size(); ++i)
        label += (i ? ", " : "") + Parameters[i].Label + " = " + SweepLiteral(values[i]);
    return label;
}

std::string SweepConstantName(const TSignals& signals, const TSweepConstant& constant) {
    return Cp1251ToUtf8(signals.Items(constant.Signal).Name() + "." + constant.Name);
}

namespace {

// Short names unless two parameters share one.
void NameParameters(const TSignals& signals, TSweep& sweep) {
    bool clash = false;
    for (size_t i = 1; i < sweep.Parameters.size(); ++i)
        clash =
            clash || Utf8ToCp1251(sweep.Parameters[0].Label) == sweep.Parameters[i].Constant.Name;
    for (TSweepParameter& p : sweep.Parameters)
        p.Label = clash ? SweepConstantName(signals, p.Constant) : Cp1251ToUtf8(p.Constant.Name);
}

bool CheckSignalName(const TSignals& signals, const std::string& qualifiedName,
                     std::string& error) {
    const std::string signal = Utf8ToCp1251(qualifiedName.substr(0, qualifiedName.rfind('.')));
    int count = 0;
    for (int i = 0; i < signals.Count(); ++i) count += signals.Items(i).Name() == signal;
    if (count <= 1) return true;
    error =
        "Сигналов с именем " + Cp1251ToUtf8(signal) + " несколько: неясно, чью константу менять";
    return false;
}

}  // namespace

bool AddSweepParameter(const TSignals& signals, const std::string& option, TSweep& sweep,
                       std::string& error) {
    const size_t equals = option.find('=');
    if (equals == std::string::npos) {
        error = "Свип задается как Сигнал.Имя=значения: " + option;
        return false;
    }
    if (static_cast<int>(sweep.Parameters.size()) >= kMaxSweepParameters) {
        error = "Менять можно не больше двух констант сразу";
        return false;
    }
    const std::string name = option.substr(0, equals);
    TSweepParameter parameter;
    if (!CheckSignalName(signals, name, error) ||
        !FindSweepConstant(signals, name, parameter.Constant, error))
        return false;
    for (const TSweepParameter& p : sweep.Parameters)
        if (p.Constant.Signal == parameter.Constant.Signal &&
            p.Constant.Line == parameter.Constant.Line &&
            p.Constant.Column == parameter.Constant.Column) {
            error = "Константа " + name + " задана дважды";
            return false;
        }
    if (!ParseSweepValues(std::string_view(option).substr(equals + 1), parameter.Values, error)) {
        error = "Значения " + name + ": " + error;
        return false;
    }
    const long runs = static_cast<long>(sweep.RunCount() ? sweep.RunCount() : 1) *
                      static_cast<long>(parameter.Values.Values.size());
    if (runs > kMaxSweepRuns) {
        error = "Слишком много прогонов: " + std::to_string(runs) + " (не больше " +
                std::to_string(kMaxSweepRuns) + ")";
        return false;
    }
    sweep.Parameters.push_back(std::move(parameter));
    NameParameters(signals, sweep);
    return true;
}

void SweepDocument(const TSignals& document, const TSweep& sweep, int run, TSignals& copy) {
    copy.CopyFrom(document);
    const std::vector<double> values = sweep.ValuesOf(run);
    for (size_t p = 0; p < sweep.Parameters.size(); ++p) {
        const TSweepConstant& constant = sweep.Parameters[p].Constant;
        std::vector<std::string>& lines = copy.Items(constant.Signal).Lines();
        lines = ReplaceConstant(std::move(lines), constant, SweepLiteral(values[p]));
    }
}

}  // namespace kvaril
