#include "base/PathRules.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"

namespace kvaril {
namespace {

TEST(PathRules, ExtensionOfTheDialog) {
    EXPECT_EQ(WithExtension("/work/test.txt", "sig"), "/work/test.sig");
    EXPECT_EQ(WithExtension("/work/test", "sig"), "/work/test.sig");
    EXPECT_EQ(WithExtension("/work.d/test", "sig"), "/work.d/test.sig") << "a dot in a folder";
    EXPECT_EQ(WithExtension("/lib/sine.pas", "txt"), "/lib/sine.txt");
    EXPECT_EQ(WithExtension("a.b.c", "sig"), "a.b.sig");
}

TEST(PathRules, DirectoryKeepsTheRootSeparator) {
    EXPECT_EQ(DirectoryOf("/work/a.sig"), "/work");
    EXPECT_EQ(DirectoryOf("/a.sig"), "/");
    EXPECT_EQ(DirectoryOf("a.sig"), "");
}

TEST(PathRules, CaptionLowersOnlyLatinCapitals) {
    EXPECT_EQ(DocumentCaption("noname"), "Kvaril - noname");
    EXPECT_EQ(DocumentCaption("/work/Filter.SIG"), "Kvaril - filter");
    EXPECT_EQ(DocumentCaption(Utf8ToCp1251("/work/Фильтр.sig")), Utf8ToCp1251("Kvaril - Фильтр"));
}

TEST(PathRules, ReplaceTextNeverRescansReplacedText) {
    EXPECT_EQ(ReplaceText("Signal_A Signal_AB TSignal_A", "Signal_A", "Signal_AB"),
              "Signal_AB Signal_ABB TSignal_AB");
    EXPECT_EQ(ReplaceText("aaa", "a", "ab"), "ababab");
    EXPECT_EQ(ReplaceText("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
}

TEST(PathRules, LibraryIdentifiersFollowTheFirstSignalPrefix) {
    EXPECT_EQ(RewriteLibraryIdentifiers("  TSignal_Sine = class\r\n  Signal_Sine: TSignal_Sine;\r\n"
                                        "x := Signal_Sine.Value + Signal_SineOld.Value;",
                                        "Cosine"),
              "  TSignal_Cosine = class\r\n  Signal_Cosine: TSignal_Cosine;\r\n"
              "x := Signal_Cosine.Value + Signal_CosineOld.Value;");
    EXPECT_EQ(RewriteLibraryIdentifiers("{ see Signal_Old } TSignal_Sine Signal_Old", "New"),
              "{ see Signal_New } TSignal_Sine Signal_New")
        << "the first occurrence decides, even in a comment";
    EXPECT_EQ(RewriteLibraryIdentifiers("no prefix here", "New"), "no prefix here");
    EXPECT_EQ(RewriteLibraryIdentifiers("Signal_ and Signal_X", "N"), "Signal_N and Signal_NX")
        << "an empty run: the bare prefix is replaced";
}

}  // namespace
}  // namespace kvaril
