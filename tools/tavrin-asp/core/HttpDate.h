// Dates as HTTP writes them ("Sun, 06 Nov 1994 08:49:37 GMT"), for the
// Date header of every answer and the expiry of cookies. Platform-neutral:
// the callers turn their clock or a script's date into a CivilTime.
#pragma once

#include <string>

// A UTC date and time in the proleptic Gregorian calendar; month 1-12.
struct CivilTime
{
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The IMF-fixdate of time; the day of the week is worked out from the
// date. Empty for a month outside 1-12.
std::string HttpDate(const CivilTime& time);
