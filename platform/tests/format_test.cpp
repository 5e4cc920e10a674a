#include "platform/clock.h"
#include "platform/cstring.h"
#include "platform/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>

using korvane::format;

TEST(Format, ExponentsHaveThreeDigitsAndWidthCountsThem) {
    EXPECT_EQ(format("%8.3e", 1000.0), "1.000e+003");
    EXPECT_EQ(format("%8.3e", 2.5e-14), "2.500e-014");
    EXPECT_EQ(format("%13.3e|", -1.5e300), "  -1.500e+300|");
    EXPECT_EQ(format("%-12.3e|", 1.5), "1.500e+000  |");
    EXPECT_EQ(format("%013.3e", -1.5), "-001.500e+000");
    EXPECT_EQ(format("%E", 0.0), "0.000000E+000");
    EXPECT_EQ(format("%g %g %G", 1e-5, 123456789.0, 2e20), "1e-005 1.23457e+008 2E+020");
    EXPECT_EQ(format("%g", 0.5), "0.5");
}

TEST(Format, OtherConversionsMatchPrintf) {
    EXPECT_EQ(format("%-1d|%5d|%05d|%x", 7, -42, 42, 255), "7|  -42|00042|ff");
    EXPECT_EQ(format("%lf %.2f %8.1f", 0.0300004, 2.345, -1.25), "0.030000 2.35     -1.2");
    EXPECT_EQ(format("%10s|%-4s|%s", "abc", "x", "e+05"), "       abc|x   |e+05");
    EXPECT_EQ(format("100%% %c %ld %lld", 'q', 123456789L, -9000000000LL), "100% q 123456789 -9000000000");
    EXPECT_EQ(format("%*d|%-*d|%.*f", 4, 1, 3, 2, 2, 1.005), "   1|2  |1.00");
}

TEST(Format, NonFiniteValuesAreLeftAsTheCLibraryPrintsThem) {
    EXPECT_EQ(format("%8.3e", INFINITY), "     inf");
    EXPECT_EQ(format("%e", -INFINITY), "-inf");
    EXPECT_EQ(format("%g", NAN).find("nan") != std::string::npos, true);
}

TEST(Format, LongResultsAreNotTruncated) {
    std::string big(5000, 'x');
    EXPECT_EQ(format("<%s>", big.c_str()).size(), 5002u);
}

TEST(FormatTime, NamesAreEnglishWhateverTheLocale) {
    std::setlocale(LC_ALL, "");
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_wday = 2;
    EXPECT_EQ(korvane::formatTime("Date: %A, %B %d, %Y", t), "Date: Tuesday, December 08, 2026");
    std::setlocale(LC_ALL, "C");
}

TEST(Clock, SourceDateEpochFixesTheLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("SOURCE_DATE_EPOCH", "86400", 1);
    std::tm t = korvane::clock().localNow();
    EXPECT_EQ(t.tm_year, 70);
    EXPECT_EQ(t.tm_mday, 2);
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_GT(korvane::clock().localNow().tm_year, 120);
}

TEST(CStringTest, FormatAndSlicing) {
    CString s;
    s.Format("%8.3e", 1e3);
    s += " V";
    EXPECT_EQ(s, "1.000e+003 V");
    EXPECT_EQ(s.Left(5), "1.000");
    EXPECT_EQ(s.Mid(100), "");
    EXPECT_EQ(s.Right(100), s);
    EXPECT_EQ(s.Find('V'), 11);
    CString t = "  a b  ";
    EXPECT_EQ(t.Trim(), "a b");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
}
