#include "model/CompilerMessages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kvaril {
namespace {

struct TTranslationCase {
    const char* Original;  // as the driver reads it, after "Error: "
    const char* Russian;   // empty: not in the table
};

void PrintTo(const TTranslationCase& c, std::ostream* os) { *os << c.Original; }

class Translation : public ::testing::TestWithParam<TTranslationCase> {};

TEST_P(Translation, TheCommonMessagesReadInRussian) {
    const std::optional<std::string> russian = TranslateCompilerMessage(GetParam().Original);
    if (*GetParam().Russian == 0)
        EXPECT_FALSE(russian) << *russian;
    else
        EXPECT_EQ(russian, GetParam().Russian);
}

INSTANTIATE_TEST_SUITE_P(
    CompilerMessages, Translation,
    ::testing::Values(
        TTranslationCase{"Identifier not found 'Freq'", "Идентификатор 'Freq' не найден"},
        TTranslationCase{"Illegal expression", "Недопустимое выражение"},
        TTranslationCase{"Syntax error, identifier 'Foo' found but ';' expected",
                         "Синтаксическая ошибка: ожидалось ';', а встречен идентификатор 'Foo'"},
        TTranslationCase{"Syntax error, 'END' found but 'BEGIN' expected",
                         "Синтаксическая ошибка: ожидалось 'BEGIN', а встречено 'END'"},
        TTranslationCase{"Incompatible types: got 'Double' expected 'Int64'",
                         "Несовместимые типы: получен 'Double', а ожидался 'Int64'"},
        TTranslationCase{"Duplicate identifier 'Value'", "Идентификатор 'Value' объявлен повторно"},
        TTranslationCase{"Wrong number of parameters specified for call to 'F'",
                         "Неверное число параметров в вызове 'F'"},
        TTranslationCase{"Local variable 'x' does not seem to be initialized",
                         "Переменной 'x', похоже, не присвоено значение"},
        TTranslationCase{"Division by zero", "Деление на ноль"},
        TTranslationCase{"Error while linking", ""},
        TTranslationCase{"Illegal expression in the middle", ""},
        TTranslationCase{"identifier not found 'Freq'", ""}));

TEST(UnknownIdentifier, OnlyForIdentifierNotFound) {
    EXPECT_EQ(UnknownIdentifier("Identifier not found 'Sinal_Msg'"), "Sinal_Msg");
    EXPECT_EQ(UnknownIdentifier("Duplicate identifier 'Value'"), "");
    EXPECT_EQ(UnknownIdentifier("Illegal expression"), "");
}

TEST(EditDistance, CountsSlipsOfTheFingers) {
    EXPECT_EQ(EditDistance("Freq", "Freq"), 0);
    EXPECT_EQ(EditDistance("freq", "FREQ"), 0) << "letter case does not count";
    EXPECT_EQ(EditDistance("Frq", "Freq"), 1) << "a letter left out";
    EXPECT_EQ(EditDistance("Freqq", "Freq"), 1) << "one too many";
    EXPECT_EQ(EditDistance("Frez", "Freq"), 1) << "one wrong";
    EXPECT_EQ(EditDistance("Singal_Msg", "Signal_Msg"), 1) << "two swapped";
    EXPECT_EQ(EditDistance("", "abc"), 3);
    EXPECT_EQ(EditDistance("kitten", "sitting"), 3);
}

TEST(ClosestIdentifiers, SuggestsWhatATypoMeant) {
    const std::vector<std::string> known = {
        "Signal_Msg", "Signal_Carrier", "Value", "Freq", "Frac", "Sin", "Sqr", "Sqrt", "Phase"};
    using Names = std::vector<std::string>;
    EXPECT_EQ(ClosestIdentifiers("Sinal_Msg", known), Names{"Signal_Msg"});
    EXPECT_EQ(ClosestIdentifiers("Singal_Msg", known), Names{"Signal_Msg"});
    EXPECT_EQ(ClosestIdentifiers("signal_carier", known), Names{"Signal_Carrier"});
    EXPECT_EQ(ClosestIdentifiers("Vlaue", known), Names{"Value"});
    EXPECT_EQ(ClosestIdentifiers("Fraq", known), (Names{"Frac", "Freq"})) << "ties, by name";
    EXPECT_EQ(ClosestIdentifiers("Sqt", known), (Names{"Sqr", "Sqrt"}));
    EXPECT_EQ(ClosestIdentifiers("Amplitude", known), Names{}) << "nothing alike";
    EXPECT_EQ(ClosestIdentifiers("Xyz", known), Names{}) << "short names: one slip at most";
    EXPECT_EQ(ClosestIdentifiers("Freq", known), Names{}) << "itself is no suggestion";
}

TEST(KnownIdentifiers, TakesTheUnitsNamesButNotItsCommentsStringsOrWords) {
    const std::vector<std::string> unit = {
        "{ Carrier in a comment",
        "  still a comment } type TSignal_A = class(TSignal)",
        "  Amplitude: Double; // Ignored here",
        "  (* Starred *) Name := 'Quoted'; x := 1E5;",
        "  AMPLITUDE := amplitude;",
    };
    const std::vector<std::string> known = KnownIdentifiers(unit);
    auto has = [&](const char* name) {
        return std::find(known.begin(), known.end(), name) != known.end();
    };
    for (const char* name : {"TSignal_A", "TSignal", "Amplitude", "Double", "Name", "x"})
        EXPECT_TRUE(has(name)) << name;
    for (const char* name : {"Carrier", "still", "Ignored", "Starred", "Quoted", "E5", "type",
                             "class", "AMPLITUDE", "amplitude"})
        EXPECT_FALSE(has(name)) << name;
    EXPECT_TRUE(has("Sin")) << "the run-time library's routines";
}

}  // namespace
}  // namespace kvaril
