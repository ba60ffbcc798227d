#include "recorder/rec_time.h"

#include <chrono>
#include <ctime>

namespace tovan {
namespace {

constexpr int64_t Ms_Per_Day = 86'400'000;

int64_t Floor_Div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Civil date of a day count (days since 1970-01-01).
void Civil_From_Days(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = Floor_Div(z, 146097);
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

std::tm To_Tm(Local_Ms t) {
    const int64_t day = Floor_Div(t, Ms_Per_Day);
    const int64_t ms = t - day * Ms_Per_Day;
    int64_t y = 1970;
    unsigned m = 1, d = 1;
    Civil_From_Days(day, y, m, d);
    std::tm tm{};
    tm.tm_year = static_cast<int>(y - 1900);
    tm.tm_mon = static_cast<int>(m) - 1;
    tm.tm_mday = static_cast<int>(d);
    tm.tm_hour = static_cast<int>(ms / 3'600'000);
    tm.tm_min = static_cast<int>(ms / 60'000 % 60);
    tm.tm_sec = static_cast<int>(ms / 1000 % 60);
    tm.tm_isdst = -1;
    return tm;
}

std::string Format(Local_Ms t, const char* fmt) {
    const std::tm tm = To_Tm(t);
    char buf[128];
    const size_t n = std::strftime(buf, sizeof buf, fmt, &tm);
    return std::string(buf, n);
}

}  // namespace

int64_t Days_From_Civil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = Floor_Div(y, 400);
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

Local_Ms Local_Ms_Of(int year, int month, int day, int hour, int minute, int second) {
    return Days_From_Civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * Ms_Per_Day +
           ((int64_t{hour} * 60 + minute) * 60 + second) * 1000;
}

Local_Ms Local_Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t tt = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &tt);
#else
    localtime_r(&tt, &tm);
#endif
    const int64_t ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return Local_Ms_Of(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec) +
           (ms < 0 ? 0 : ms);
}

std::string Short_Date_Text(Local_Ms t) { return Format(t, "%x"); }
std::string Long_Time_Text(Local_Ms t) { return Format(t, "%X"); }
std::string Date_Time_Text(Local_Ms t) { return Short_Date_Text(t) + " " + Long_Time_Text(t); }

std::string Elapsed_Text(Local_Ms start, Local_Ms end) {
    const int64_t d = end > start ? end - start : 0;
    return std::to_string(d / Ms_Per_Day) + "  " + Long_Time_Text(d % Ms_Per_Day);
}

}  // namespace tovan
