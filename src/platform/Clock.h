// Time services: the wrapping millisecond tick used for every interval, and local wall-clock time.
#pragma once
#include <cstdint>
#include <string>

namespace lm {

struct tagLOCALTIME {
    int year = 1970;
    int month = 1;     // 1..12
    int day = 1;       // 1..31
    int dayOfWeek = 4; // 0 = Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// The local time in the C library's standard representation of date and time ("%c"), at most 127
// characters; empty when it does not fit.
std::wstring LocalTimeText(const tagLOCALTIME& now);

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, 32 bits, wrapping after 49.7 days. Differences are taken
    // unsigned so the wrap is harmless.
    virtual uint32_t TickCount() = 0;
    virtual tagLOCALTIME Now() = 0;
};

} // namespace lm
