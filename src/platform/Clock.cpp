#include "platform/Clock.h"

#include <ctime>
#include <cwchar>

namespace lm {

std::wstring LocalTimeText(const tagLOCALTIME& now) {
    std::tm tm{};
    tm.tm_year = now.year - 1900;
    tm.tm_mon = now.month - 1;
    tm.tm_mday = now.day;
    tm.tm_wday = now.dayOfWeek;
    tm.tm_hour = now.hour;
    tm.tm_min = now.minute;
    tm.tm_sec = now.second;
    tm.tm_isdst = -1;
    wchar_t text[128] = {};
    return std::wcsftime(text, 128, L"%c", &tm) ? std::wstring(text) : std::wstring();
}

} // namespace lm
