#pragma once

#include <cstdint>
#include <string>

namespace quillane {

// The server's date-times: days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;

struct TDateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Raises EConvertError when the parts make no valid date or time.
TDateTime EncodeDateTime(const TDateTimeParts& parts);
TDateTimeParts DecodeDateTime(TDateTime value);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(TDateTime value);

// The current local date and time.
TDateTime LocalNow();
// A point in time (seconds since 1970) as local date and time.
TDateTime LocalDateTimeFromUnix(std::int64_t seconds, int milliseconds = 0);

// Minutes that GMT is ahead of local standard time (daylight saving not applied);
// false when the time zone cannot be read.
bool StandardTimeBias(int& minutes);
// Adds the standard-time bias; the value unchanged when the time zone cannot be read.
TDateTime ToGmt(TDateTime local);
// Adds minutes, in whole milliseconds, so that equal inputs give equal outputs.
TDateTime AddMinutes(TDateTime value, int minutes);

// "ddd, dd mmm yyyy hh:mm:ss" with English day and month names.
std::string FormatHttpDate(TDateTime value);
// "hh:mm:ss:zzz".
std::string FormatLogTime(TDateTime value);
// The date in the system's short form, and date and time in the system's form.
std::string FormatShortDate(TDateTime value);
std::string FormatLocalDateTime(TDateTime value);

}  // namespace quillane
