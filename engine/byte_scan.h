// Fast scans over the bytes of a block: sixteen at a time where the processor has SSE2 (every
// x86-64), eight at a time otherwise.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ENGINE_HAVE_SSE2 1
#endif

namespace engine::detail {

// The first byte in [p, end) that is past ASCII, or end.
inline const char* findPastAscii(const char* p, const char* end) {
#ifdef ENGINE_HAVE_SSE2
    for (; end - p >= 16; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (const int mask = _mm_movemask_epi8(chunk))
            return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#else
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if ((word & 0x8080808080808080u) != 0) break;
    }
#endif
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

// The first CR or LF in [p, end), or, with `orPastAscii`, the first byte past ASCII if that
// comes first; end when there is none. Uses AVX2 where the processor has it.
const char* findLineEnd(const char* p, const char* end, bool orPastAscii);

// The same without AVX2.
inline const char* findLineEndSse2(const char* p, const char* end, bool orPastAscii) {
#ifdef ENGINE_HAVE_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const unsigned pastAscii = orPastAscii ? 0xFFFFu : 0u;
    const auto hits = [&](const char* at) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf));
        return static_cast<unsigned>(_mm_movemask_epi8(ends)) |
               (static_cast<unsigned>(_mm_movemask_epi8(chunk)) & pastAscii);
    };
    // Two chunks a round: lines are short, and the loop's own cost shows.
    for (; end - p >= 32; p += 32) {
        if (const unsigned mask = hits(p) | hits(p + 16) << 16) return p + std::countr_zero(mask);
    }
    for (; end - p >= 16; p += 16) {
        if (const unsigned mask = hits(p)) return p + std::countr_zero(mask);
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\r' || *p == '\n' || (orPastAscii && static_cast<unsigned char>(*p) >= 0x80)) {
            return p;
        }
    }
    return end;
}

}  // namespace engine::detail
