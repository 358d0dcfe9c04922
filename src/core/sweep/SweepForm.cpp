#include "sweep/SweepForm.h"

#include <algorithm>

#include "base/Cp1251.h"
#include "base/RussianCount.h"
#include "document/uSignal.h"
#include "sweep/SweepConstants.h"

namespace kvaril {

namespace {

std::string WithoutSpaces(std::string text) {
    std::erase_if(text, [](unsigned char c) { return c == ' ' || c == '\t'; });
    return text;
}

}  // namespace

std::string SweepOption(const TSweepForm& form) {
    const std::string values = form.Range
                                   ? WithoutSpaces(form.From) + ":" + WithoutSpaces(form.To) + ":" +
                                         WithoutSpaces(form.Count) + (form.Logarithmic ? "log" : "")
                                   : WithoutSpaces(form.List);
    return WithoutSpaces(form.Name) + "=" + values;
}

TSweepForm ParseSweepForm(const std::string& option) {
    TSweepForm form;
    const size_t equals = option.find('=');
    form.Name = option.substr(0, equals);
    if (equals == std::string::npos) return form;
    const std::string values = option.substr(equals + 1);
    const size_t first = values.find(':');
    if (first == std::string::npos) {
        form.List = values;
        return form;
    }
    form.Range = true;
    form.From = values.substr(0, first);
    const size_t second = values.find(':', first + 1);
    form.To = values.substr(first + 1, second == std::string::npos ? second : second - first - 1);
    if (second == std::string::npos) return form;
    form.Count = values.substr(second + 1);
    if (form.Count.ends_with("log")) {
        form.Count.resize(form.Count.size() - 3);
        form.Logarithmic = true;
    }
    return form;
}

std::vector<TSweepChoice> SweepChoices(const TSignals& signals) {
    std::vector<TSweepChoice> choices;
    for (const TSweepConstant& constant : FindConstants(signals)) {
        if (!constant.Numeric) continue;
        const std::string name = SweepConstantName(signals, constant);
        // A name declared twice cannot be told apart by "Signal.Name": the option would be
        // refused, so the dialog does not offer it.
        TSweepConstant found;
        std::string error;
        if (!FindSweepConstant(signals, name, found, error)) continue;
        if (std::any_of(choices.begin(), choices.end(),
                        [&](const TSweepChoice& c) { return c.Name == name; }))
            continue;
        choices.push_back({name, name + " = " + Cp1251ToUtf8(constant.ValueText)});
    }
    return choices;
}

TSweepCheck CheckSweepForms(const TSignals& signals, const std::vector<TSweepForm>& forms) {
    TSweepCheck check;
    if (forms.empty()) {
        check.Text = "Не выбрана ни одна константа";
        return check;
    }
    for (const TSweepForm& form : forms) {
        std::string error;
        if (!AddSweepParameter(signals, SweepOption(form), check.Sweep, error)) {
            check.Text = error;
            check.Sweep = TSweep{};
            return check;
        }
    }
    check.Ok = true;
    check.Text = RussianCount(check.Sweep.RunCount(), "прогон", "прогона", "прогонов");
    return check;
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

}  // namespace

std::vector<TSweepForm> RememberedSweep(const std::vector<std::string>& entries,
                                        const std::string& path) {
    std::vector<TSweepForm> forms;
    for (const std::string& entry : entries) {
        const std::vector<std::string> lines = Lines(entry);
        if (lines.front() != path) continue;
        for (size_t i = 1; i < lines.size(); ++i)
            if (!lines[i].empty()) forms.push_back(ParseSweepForm(lines[i]));
        break;
    }
    return forms;
}

void RememberSweep(std::vector<std::string>& entries, const std::string& path,
                   const std::vector<TSweepForm>& forms) {
    if (path.find('\n') != std::string::npos) return;  // it could not be told from an option
    std::erase_if(entries, [&](const std::string& entry) { return Lines(entry).front() == path; });
    std::string entry = path;
    for (const TSweepForm& form : forms) entry += "\n" + SweepOption(form);
    entries.insert(entries.begin(), entry);
    if (entries.size() > static_cast<size_t>(kRememberedSweeps)) entries.resize(kRememberedSweeps);
}

}  // namespace kvaril
