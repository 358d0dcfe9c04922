#include "base/Cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace kvaril {
namespace {

std::string IconvToUtf8(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inp = in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return "<refused>";
    return std::string(out, sizeof out - outLeft);
}

TEST(Cp1251, EveryByteAgreesWithIconv) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;  // undefined in Windows-1251; iconv refuses it
        std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(Cp1251ToUtf8(byte), IconvToUtf8(static_cast<unsigned char>(b))) << "byte " << b;
    }
}

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xC2\x98");
}

TEST(Cp1251, RussianTextBecomesSingleBytes) {
    EXPECT_EQ(Utf8ToCp1251("Экран 1"), "\xDD\xEA\xF0\xE0\xED 1");
    EXPECT_EQ(Utf8ToCp1251("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(Cp1251ToUtf8("\xD1\xE8\xED\xF3\xF1"), "Синус");
}

TEST(Cp1251, CharactersWithoutAByteAreReportedNotDropped) {
    bool lossless = true;
    EXPECT_EQ(Utf8ToCp1251("a日b", &lossless), "a?b");
    EXPECT_FALSE(lossless);
    lossless = true;
    EXPECT_EQ(Utf8ToCp1251("x\xFFy\xC3", &lossless), "x?y?") << "malformed UTF-8";
    EXPECT_FALSE(lossless);
    lossless = true;
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF", &lossless), "?") << "overlong form";
    EXPECT_FALSE(lossless);
}

}  // namespace
}  // namespace kvaril
