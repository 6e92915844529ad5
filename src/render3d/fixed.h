// Float to 16.16 fixed-point conversion shared by the span set-up and the scanline drawers.
#pragma once

#include <cmath>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo
{

// a × 65536 rounded to single precision, then to the nearest integer with ties to even (the
// default rounding mode). NaN and results outside int32 give 0x80000000, the x86 conversion's
// "integer indefinite", instead of undefined behaviour: on x86 that is one cvtss2si.
inline int32_t toFixed(float a)
{
    const float scaled = a * 65536.0f;
#if defined(__SSE2__)
    return _mm_cvtss_si32(_mm_set_ss(scaled));
#else
    if (!(scaled >= -2147483648.0f && scaled < 2147483648.0f)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(std::rint(scaled));
#endif
}

} // namespace tarvo
