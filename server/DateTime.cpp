#include "DateTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "ServerErrors.h"
#include "TextUtils.h"

namespace quillane {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Day number of 1899-12-30, counting 0001-01-01 (proleptic Gregorian) as day 0.
constexpr std::int64_t kEpochShift = 693593;

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days since 0001-01-01 for a valid date.
std::int64_t DayNumber(int year, int month, int day) {
    const std::int64_t y = year - 1;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    return days + day - 1;
}

std::int64_t TotalMilliseconds(TDateTime value) { return std::llround(value * kMsPerDay); }

TDateTime FromTotalMilliseconds(std::int64_t ms) {
    const std::int64_t day = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    return static_cast<double>(day) + static_cast<double>(ms - day * kMsPerDay) / kMsPerDay;
}

std::string Strftime(TDateTime value, const char* format) {
    const TDateTimeParts parts = DecodeDateTime(value);
    std::tm tm{};
    tm.tm_year = parts.Year - 1900;
    tm.tm_mon = parts.Month - 1;
    tm.tm_mday = parts.Day;
    tm.tm_hour = parts.Hour;
    tm.tm_min = parts.Minute;
    tm.tm_sec = parts.Second;
    tm.tm_wday = DayOfWeek(value);
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, format, &tm);
    return std::string(text, length);
}

}  // namespace

TDateTime EncodeDateTime(const TDateTimeParts& p) {
    if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 || p.Day > DaysInMonth(p.Year, p.Month))
        throw EConvertError("Invalid date " + std::to_string(p.Year) + "-" + std::to_string(p.Month) + "-" + std::to_string(p.Day));
    if (p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 || p.Second < 0 || p.Second > 59 ||
        p.Millisecond < 0 || p.Millisecond > 999)
        throw EConvertError("Invalid time " + std::to_string(p.Hour) + ":" + std::to_string(p.Minute) + ":" + std::to_string(p.Second));
    const std::int64_t day = DayNumber(p.Year, p.Month, p.Day) - kEpochShift;
    const std::int64_t ms = ((p.Hour * 60 + p.Minute) * 60 + p.Second) * 1000 + p.Millisecond;
    return FromTotalMilliseconds(day * kMsPerDay + ms);
}

TDateTimeParts DecodeDateTime(TDateTime value) {
    const std::int64_t total = TotalMilliseconds(value);
    std::int64_t day = total >= 0 ? total / kMsPerDay : -((-total + kMsPerDay - 1) / kMsPerDay);
    std::int64_t ms = total - day * kMsPerDay;
    day += kEpochShift;
    TDateTimeParts parts;
    // Walk 400-year cycles, then years and months; dates stay within 1..9999.
    int year = 1 + static_cast<int>(day / 146097) * 400;
    day %= 146097;
    while (day >= (IsLeapYear(year) ? 366 : 365)) day -= IsLeapYear(year++) ? 366 : 365;
    int month = 1;
    while (day >= DaysInMonth(year, month)) day -= DaysInMonth(year, month++);
    parts.Year = year;
    parts.Month = month;
    parts.Day = static_cast<int>(day) + 1;
    parts.Hour = static_cast<int>(ms / 3'600'000);
    ms %= 3'600'000;
    parts.Minute = static_cast<int>(ms / 60'000);
    ms %= 60'000;
    parts.Second = static_cast<int>(ms / 1000);
    parts.Millisecond = static_cast<int>(ms % 1000);
    return parts;
}

int DayOfWeek(TDateTime value) {
    // 30 December 1899 was a Saturday.
    const std::int64_t day = static_cast<std::int64_t>(std::floor(static_cast<double>(TotalMilliseconds(value)) / kMsPerDay));
    return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

TDateTime LocalDateTimeFromUnix(std::int64_t seconds, int milliseconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           std::min(local.tm_sec, 59), milliseconds});
}

TDateTime LocalNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return LocalDateTimeFromUnix(ms / 1000, static_cast<int>(ms % 1000));
}

bool StandardTimeBias(int& minutes) {
    // The offset of a moment this year that is outside daylight saving time; the
    // moments are worked out in UTC, so no time-zone lookup is needed for them.
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    if (!localtime_r(&now, &today)) return false;
    for (int month : {0, 6}) {
        std::tm probe{};
        probe.tm_year = today.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 1;
        probe.tm_hour = 12;
        const std::time_t moment = timegm(&probe);
        std::tm local{};
        if (moment == -1 || !localtime_r(&moment, &local)) return false;
        if (local.tm_isdst == 0) {
            minutes = static_cast<int>(-local.tm_gmtoff / 60);
            return true;
        }
    }
    return false;
}

TDateTime AddMinutes(TDateTime value, int minutes) {
    return FromTotalMilliseconds(TotalMilliseconds(value) + std::int64_t{minutes} * 60'000);
}

TDateTime ToGmt(TDateTime local) {
    int bias = 0;
    return StandardTimeBias(bias) ? AddMinutes(local, bias) : local;
}

std::string FormatHttpDate(TDateTime value) {
    const TDateTimeParts p = DecodeDateTime(value);
    std::string year = std::to_string(p.Year);
    year.insert(0, year.size() < 4 ? 4 - year.size() : 0, '0');
    return std::string(kDayNames[DayOfWeek(value)]) + ", " + TwoDigits(p.Day) + " " + kMonthNames[p.Month - 1] + " " +
           year + " " + TwoDigits(p.Hour) + ":" + TwoDigits(p.Minute) + ":" + TwoDigits(p.Second);
}

std::string FormatLogTime(TDateTime value) {
    const TDateTimeParts p = DecodeDateTime(value);
    std::string ms = std::to_string(p.Millisecond);
    ms.insert(0, 3 - ms.size(), '0');
    return TwoDigits(p.Hour) + ":" + TwoDigits(p.Minute) + ":" + TwoDigits(p.Second) + ":" + ms;
}

std::string FormatShortDate(TDateTime value) { return Strftime(value, "%x"); }
std::string FormatLocalDateTime(TDateTime value) { return Strftime(value, "%x %X"); }

}  // namespace quillane
