// HttpDate: see HttpDate.h. The day of the week comes from the count of
// days since 1970-01-01 (a Thursday), by the usual era arithmetic, so that
// a date from any source gets the same name.
#include "core/HttpDate.h"

#include <cstdint>
#include <cstdio>

namespace {

int64_t DaysSinceEpoch(int year, int month, int day)
{
    const int64_t y = month <= 2 ? int64_t(year) - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::string HttpDate(const CivilTime& time)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (time.month < 1 || time.month > 12)
        return std::string();
    const int64_t days = DaysSinceEpoch(time.year, time.month, time.day);
    const int64_t weekday = ((days + 4) % 7 + 7) % 7;
    char text[64];
    snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[weekday], time.day,
             kMonths[time.month - 1], time.year, time.hour, time.minute, time.second);
    return text;
}
