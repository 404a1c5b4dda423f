// Conversions between the movie's counts and stream times (REFERENCE_TIME,
// 100-ns units, 10,000,000 per second).
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdint>

constexpr LONGLONG kUnitsPerSecond = 10000000; // 100-ns units

// One video frame in 100-ns units: 10,000,000 / frames per second truncated
// toward zero (25 fps: 400000; 29.97 fps: 333667). 0 when the rate is not a
// positive number or the quotient does not fit: a track whose rate is unknown
// has no frame duration, rather than an infinite one.
inline LONGLONG FrameDuration(double framesPerSecond)
{
    if (!(framesPerSecond > 0))
        return 0;
    const double units = static_cast<double>(kUnitsPerSecond) / framesPerSecond;
    if (!std::isfinite(units) || units >= 9.2e18)
        return 0;
    return static_cast<LONGLONG>(units);
}
