#include "foundation/format.h"

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Format(size_t size, const char* format, auto... args) {
    std::string out(size, '\0');
    out.resize(FormatText(out.data(), size, format, args...));
    return out;
}

TEST(FormatTextTest, NumbersAndTextsLikePrintf) {
    EXPECT_EQ(Format(64, "%09u\t%s %d %%", 123456u, "x", -5), "000123456\tx -5 %");
    EXPECT_EQ(Format(64, "0x%X %0x %08x", 0x80004005u, 255u, 0x2Au), "0x80004005 ff 0000002a");
    EXPECT_EQ(Format(64, "%f %lld %hd", 1.5, 1234567890123LL, 7), "1.500000 1234567890123 7");
    EXPECT_EQ(Format(64, "%5d|%-3s|%.2s", 42, "a", "abcdef"), "   42|a  |ab");
}

TEST(FormatTextTest, UppercaseSTakesUtf16) {
    EXPECT_EQ(Format(64, "Open url '%S'", u"http://cam/ä"), "Open url 'http://cam/ä'");
    EXPECT_EQ(Format(64, "%S", static_cast<const char16_t*>(nullptr)), "(null)");
    EXPECT_EQ(Format(64, "'%S %S'", u"Cedar", u"2.33"), "'Cedar 2.33'");
}

TEST(FormatTextTest, CutsAtTheBufferWithoutSplittingCharacters) {
    EXPECT_EQ(Format(6, "abcdefgh"), "abcde");
    EXPECT_EQ(Format(6, "abcd%s", "ég"), "abcd"); // "é" needs two bytes, only one is left
    EXPECT_EQ(Format(6, "%S", u"ab東x"), "ab東");
    std::string big(2000, 'y');
    EXPECT_EQ(Format(512, "%s", big.c_str()).size(), 511u);
}

TEST(FormatTextTest, PercentNIsNeverHonouredAndUnknownConversionsStay) {
    int written = 77;
    EXPECT_EQ(Format(64, "ab%ncd", &written), "abcd");
    EXPECT_EQ(written, 77);
    EXPECT_EQ(Format(64, "100%y"), "100%y");
    EXPECT_EQ(Format(64, "end%"), "end");
}

} // namespace
