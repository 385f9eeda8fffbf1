#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "DateTime.h"
#include "ServerErrors.h"

namespace quillane {
namespace {

TEST(DateTime, CountsDaysSinceTheEndOf1899) {
    EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(EncodeDateTime({1900, 1, 1, 12, 0, 0, 0}), 2.5);
    EXPECT_EQ(EncodeDateTime({2005, 1, 5, 0, 0, 0, 0}), 38357.0);
    const TDateTimeParts parts = DecodeDateTime(EncodeDateTime({2024, 2, 29, 23, 59, 58, 999}));
    EXPECT_EQ(parts.Year, 2024);
    EXPECT_EQ(parts.Month, 2);
    EXPECT_EQ(parts.Day, 29);
    EXPECT_EQ(parts.Hour, 23);
    EXPECT_EQ(parts.Minute, 59);
    EXPECT_EQ(parts.Second, 58);
    EXPECT_EQ(parts.Millisecond, 999);
    EXPECT_THROW(EncodeDateTime({2023, 2, 29, 0, 0, 0, 0}), EConvertError);
    EXPECT_THROW(EncodeDateTime({2023, 13, 1, 0, 0, 0, 0}), EConvertError);
    EXPECT_THROW(EncodeDateTime({2023, 1, 1, 0, 60, 0, 0}), EConvertError);
}

TEST(DateTime, HttpAndLogFormats) {
    EXPECT_EQ(FormatHttpDate(EncodeDateTime({2005, 1, 5, 10, 20, 30, 0})), "Wed, 05 Jan 2005 10:20:30");
    EXPECT_EQ(FormatHttpDate(EncodeDateTime({1994, 11, 6, 8, 49, 37, 0})), "Sun, 06 Nov 1994 08:49:37");
    EXPECT_EQ(FormatLogTime(EncodeDateTime({2005, 1, 5, 1, 2, 3, 45})), "01:02:03:045");
}

TEST(DateTime, ToGmtAddsTheStandardTimeBiasOnly) {
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    // Central European time: one hour ahead in winter, two in summer.
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
    const TDateTime summer = EncodeDateTime({2005, 7, 1, 12, 0, 0, 0});
    EXPECT_EQ(FormatHttpDate(ToGmt(summer)), "Fri, 01 Jul 2005 11:00:00");
    const TDateTime winter = EncodeDateTime({2005, 1, 1, 0, 30, 0, 0});
    EXPECT_EQ(FormatHttpDate(ToGmt(winter)), "Fri, 31 Dec 2004 23:30:00");
    if (saved) ::setenv("TZ", previous.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
}

TEST(DateTime, AddMinutesGivesEqualValuesForEqualInputs) {
    const TDateTime a = AddMinutes(EncodeDateTime({2020, 5, 5, 10, 0, 0, 0}), -120);
    EXPECT_EQ(a, EncodeDateTime({2020, 5, 5, 8, 0, 0, 0}));
}

}  // namespace
}  // namespace quillane
