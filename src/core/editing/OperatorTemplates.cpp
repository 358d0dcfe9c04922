#include "editing/OperatorTemplates.h"

#include <algorithm>

#include "document/uSignal.h"

namespace kvaril {

std::vector<TOperatorTemplate> OperatorTemplates(const TSignals& signals, int current) {
    std::vector<TOperatorTemplate> list;
    // The unit declares the signals in list order: a signal sees only those before it. Without
    // a current signal none can be offered.
    for (int i = 0; i < signals.Count() && i <= current; ++i) {
        const std::string name =
            i == current ? "Value" : "Signal_" + signals.Items(i).Name() + ".Value";
        list.push_back({name, "", name});
    }
    const std::string n =
        current >= 0 && current < signals.Count() ? signals.Items(current).Name() : std::string();
    const std::vector<TOperatorTemplate> fixed = {
        {":=", "", " := "},
        {"//", "", " // "},
        {"if", "", "if ? then\\  ;"},
        {"if else", "", "if ? then\\  \\else\\  ;"},
        {"if", "begin/end", "if ? then begin\\  ;\\end;"},
        {"if else", "begin/end", "if ? then begin\\  ;\\end\\else begin\\  ;\\end;"},
        // The control variable at the mark, room for the bounds, the body as for "while".
        {"for", "", "for ? :=  to  do\\  ;"},
        {"for", "begin/end", "for ? :=  to  do begin\\  ;\\end;"},
        {"while", "", "while ? do\\  ;"},
        {"while", "begin/end", "while ? do begin\\  ;\\end;"},
        {"constructor", "interface", "constructor Create;"},
        {"constructor", "implementation",
         "constructor TSignal_" + n + ".Create;\\begin\\  inherited Create;\\  ;\\end;"},
        {"destructor", "interface", "destructor  Destroy; override;"},
        {"destructor", "implementation",
         "destructor TSignal_" + n + ".Destroy;\\begin\\  ;\\  inherited Destroy;\\end;"},
    };
    list.insert(list.end(), fixed.begin(), fixed.end());
    return list;
}

TExpansion ExpandTemplate(const std::string& meta, int insertColumn) {
    TExpansion e;
    const std::string lineBreak =
        "\r\n" + std::string(static_cast<size_t>(std::max(insertColumn - 1, 0)), ' ');
    for (size_t i = 0; i < meta.size(); ++i) {
        if (meta[i] == '?')
            e.MarkColumn = static_cast<int>(i) + 1 + insertColumn - 1;
        else if (meta[i] == '\\')
            e.Text += lineBreak;
        else
            e.Text += meta[i];
    }
    return e;
}

}  // namespace kvaril
