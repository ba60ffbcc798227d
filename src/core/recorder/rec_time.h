#pragma once
// Local wall-clock time as the recorder and the frequency-meter log show
// it: milliseconds since 1970-01-01 00:00 of the local clock (the zone's
// offset included), so that a difference of two readings is the elapsed
// wall-clock time and whole days fall at local midnights.
#include <cstdint>
#include <string>

namespace tovan {

using Local_Ms = int64_t;

// The local clock now.
Local_Ms Local_Now();

// The date in the locale's short form (strftime "%x").
std::string Short_Date_Text(Local_Ms t);
// The time of day in the locale's long form (strftime "%X").
std::string Long_Time_Text(Local_Ms t);
// Short date, a blank, long time.
std::string Date_Time_Text(Local_Ms t);
// Whole days of end - start, two blanks and the rest as a time of day in
// the long form ("1  02:03:04"); a clock set back counts as no time.
std::string Elapsed_Text(Local_Ms start, Local_Ms end);

// Days since 1970-01-01 of a civil date, and the date from it.
int64_t Days_From_Civil(int64_t y, unsigned m, unsigned d);
Local_Ms Local_Ms_Of(int year, int month, int day, int hour, int minute, int second);

}  // namespace tovan
