#include "editing/OperatorTemplates.h"

#include <gtest/gtest.h>

#include "document/uSignal.h"
#include "editing/TextSearch.h"

namespace kvaril {
namespace {

TEST(OperatorTemplates, SignalReferencesNameTheCurrentSignalValue) {
    TSignals signals;
    for (const char* name : {"A", "B", "C"}) {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName(name);
        signals.Insert(std::move(s), -1);
    }
    const std::vector<TOperatorTemplate> list = OperatorTemplates(signals, 1);
    EXPECT_EQ(list[0].Name, "Signal_A.Value");
    EXPECT_EQ(list[1].Name, "Value");
    EXPECT_EQ(list[2].Meta, " := ") << "C comes later in the unit: B cannot use it";
    EXPECT_EQ(list.back().Meta,
              "destructor TSignal_B.Destroy;\\begin\\  ;\\  inherited Destroy;\\end;");
    EXPECT_EQ(list.size(), 2u + 14u);

    const auto names = [&signals](int current) {
        std::vector<std::string> n;
        for (const TOperatorTemplate& t : OperatorTemplates(signals, current))
            if (t.Name.find("Value") != std::string::npos) n.push_back(t.Name);
        return n;
    };
    EXPECT_EQ(names(0), (std::vector<std::string>{"Value"})) << "the first sees no other";
    EXPECT_EQ(names(2), (std::vector<std::string>{"Signal_A.Value", "Signal_B.Value", "Value"}));
    EXPECT_TRUE(names(-1).empty()) << "no current signal";
}

TEST(OperatorTemplates, ExpansionIndentsContinuationLinesToTheCaret) {
    TExpansion e = ExpandTemplate("if ? then\\  ;", 5);
    EXPECT_EQ(e.Text, "if  then\r\n      ;");
    EXPECT_EQ(e.MarkColumn, 8);
    e = ExpandTemplate("while ? do begin\\  ;\\end;", 1);
    EXPECT_EQ(e.Text, "while  do begin\r\n  ;\r\nend;");
    EXPECT_EQ(e.MarkColumn, 7);
    EXPECT_EQ(ExpandTemplate(" := ", 3).MarkColumn, 0);
}

TEST(FindInLines, FromTheCaretOnwardWithoutWrapping) {
    const std::vector<std::string> lines = {"abc abc", "x", "abc", "ABC"};
    EXPECT_EQ(FindInLines(lines, 1, 2, "abc"), (TTextPos{0, 5}));
    EXPECT_EQ(FindInLines(lines, 1, 6, "abc"), (TTextPos{2, 1}));
    EXPECT_EQ(FindInLines(lines, 3, 2, "abc"), std::nullopt) << "ABC does not match";
    EXPECT_EQ(FindInLines(lines, 99, 1, "ABC"), (TTextPos{3, 1})) << "the caret line is clamped";
    EXPECT_EQ(FindInLines(lines, 1, 1, ""), std::nullopt);
}

}  // namespace
}  // namespace kvaril
