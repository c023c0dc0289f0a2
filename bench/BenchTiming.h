// What the Windows benchmarks share: milliseconds between two counter readings, the median of
// their runs, and the messages waiting for the thread handled before the next timing.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1e3 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

inline double MillisecondsSince(LARGE_INTEGER from) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return Milliseconds(from, now);
}

template <typename T> T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
