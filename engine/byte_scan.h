// Every processor-specific scan of the engine, in one place: sixteen bytes at a time where the
// processor has SSE2 (every x86-64), 32 with AVX2 where it has that, and a plain loop otherwise.
// Each scan takes `Vector`: false gives the plain loop, the reference the tests hold the vector
// forms to.
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
template <bool Vector = true>
const char* findPastAscii(const char* p, const char* end) {
    if constexpr (Vector) {
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
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

// The first CR or LF in [p, end), or, with `orPastAscii`, the first byte past ASCII if that
// comes first; end when there is none. Uses AVX2 where the processor has it.
const char* findLineEnd(const char* p, const char* end, bool orPastAscii);
// The same with SSE2 alone (`Vector`), or the plain loop.
template <bool Vector = true>
const char* findLineEndSse2(const char* p, const char* end, bool orPastAscii);
// The same with AVX2, or null where the processor or the compiler has none.
using LineEndFinder = const char* (*)(const char*, const char*, bool);
LineEndFinder lineEndFinderAvx2();

// The CR and LF bytes of 64 bytes at `p` as the bits of a mask (bit i for p[i]), and with
// `orPastAscii` the bytes past ASCII as well.
template <bool Vector = true>
std::uint64_t lineEndMask(const char* p, bool orPastAscii);

// Finds line ends (or bytes past ASCII) one after another: 64 bytes are classified at once into
// a mask that the following calls reuse, so that a short line costs a few instructions.
class LineEndCursor {
public:
    // Forgets the bytes classified, which may have moved.
    void reset() { chunk_ = nullptr; }
    // The first CR or LF in [p, end), or with `orPastAscii` the first byte past ASCII if that
    // comes first; end when there is none. `end` stays where it was until reset().
    const char* next(const char* p, const char* end, bool orPastAscii) {
        if (chunk_ != nullptr && orPastAscii == pastAscii_ && p >= chunk_ && p < chunk_ + 64) {
            if (const std::uint64_t left = mask_ & (~std::uint64_t{0} << (p - chunk_)))
                return chunk_ + std::countr_zero(left);
            p = chunk_ + 64;
        }
        pastAscii_ = orPastAscii;
        for (; end - p >= 64; p += 64) {
            if (const std::uint64_t mask = lineEndMask(p, orPastAscii)) {
                chunk_ = p;
                mask_ = mask;
                return p + std::countr_zero(mask);
            }
        }
        chunk_ = nullptr;
        return findLineEndSse2<false>(p, end, orPastAscii);
    }

private:
    const char* chunk_ = nullptr;
    std::uint64_t mask_ = 0;
    bool pastAscii_ = false;
};

// Scans the code units of `Width` bytes at `p`, up to `count` of them, for the first CR or LF
// unit, and returns its index (`count` when there is none). Sets `watched` when a unit equal to
// watch[0] or watch[1] comes before it.
template <int Width, bool BigEndian, bool Vector = true>
std::size_t findUnitLineEnd(const unsigned char* p, std::size_t count,
                            const std::uint32_t (&watch)[2], bool& watched);

// Copies the code units of `Width` bytes at `p` that are ASCII and no line end, up to `count`
// of them, to `out` as bytes; returns how many there were.
template <int Width, bool BigEndian, bool Vector = true>
std::size_t narrowPlainUnits(const unsigned char* p, std::size_t count, char* out);

// Writes the ASCII bytes at the front of `text` (up to the first byte past ASCII) to `out` as
// code units of `Width` bytes; returns how many bytes that was. `out` has room for them all.
template <int Width, bool BigEndian, bool Vector = true>
std::size_t widenAscii(const char* text, std::size_t size, char* out);

// ---- definitions ----

template <bool Vector>
const char* findLineEndSse2(const char* p, const char* end, bool orPastAscii) {
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
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
            if (const unsigned mask = hits(p) | hits(p + 16) << 16)
                return p + std::countr_zero(mask);
        }
        for (; end - p >= 16; p += 16) {
            if (const unsigned mask = hits(p)) return p + std::countr_zero(mask);
        }
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\r' || *p == '\n' || (orPastAscii && static_cast<unsigned char>(*p) >= 0x80)) {
            return p;
        }
    }
    return end;
}

template <bool Vector>
std::uint64_t lineEndMask(const char* p, bool orPastAscii) {
    std::uint64_t mask = 0;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const std::uint64_t pastAscii = orPastAscii ? ~std::uint64_t{0} : 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf));
            const auto bits = static_cast<std::uint64_t>(static_cast<unsigned>(
                _mm_movemask_epi8(ends) | (_mm_movemask_epi8(chunk) & pastAscii)));
            mask |= bits << (16 * i);
        }
        return mask;
    }
#endif
    for (int i = 0; i < 64; ++i) {
        const auto byte = static_cast<unsigned char>(p[i]);
        if (byte == '\r' || byte == '\n' || (orPastAscii && byte >= 0x80))
            mask |= std::uint64_t{1} << i;
    }
    return mask;
}

template <int Width, bool BigEndian>
std::uint32_t unitAt(const unsigned char* p) {
    std::uint32_t unit = 0;
    for (int b = 0; b < Width; ++b) unit = unit << 8 | p[BigEndian ? b : Width - 1 - b];
    return unit;
}

template <int Width, bool BigEndian, bool Vector>
std::size_t findUnitLineEnd(const unsigned char* p, std::size_t count,
                            const std::uint32_t (&watch)[2], bool& watched) {
    static_assert(Width == 2 || Width == 4);
    std::size_t i = 0;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        // The units are compared as they lie: the values they are compared with are put in the
        // file's byte order instead.
        const auto value = [](std::uint32_t v) {
            if constexpr (Width == 2) {
                if (BigEndian) v = (v & 0xFFu) << 8 | (v >> 8 & 0xFFu);
                return _mm_set1_epi16(static_cast<short>(v));
            } else {
                if (BigEndian) v = v << 24 | (v & 0xFF00u) << 8 | (v >> 8 & 0xFF00u) | v >> 24;
                return _mm_set1_epi32(static_cast<int>(v));
            }
        };
        const auto equal = [](__m128i a, __m128i b) {
            return Width == 2 ? _mm_cmpeq_epi16(a, b) : _mm_cmpeq_epi32(a, b);
        };
        const __m128i cr = value('\r'), lf = value('\n');
        const __m128i first = value(watch[0]), second = value(watch[1]);
        constexpr std::size_t perVector = 16 / Width;
        bool seen = false;
        for (; i + perVector <= count; i += perVector) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + Width * i));
            const auto ends = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(equal(units, cr), equal(units, lf))));
            const auto hits = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(equal(units, first), equal(units, second))));
            if (ends != 0) {
                const auto at = static_cast<unsigned>(std::countr_zero(ends));
                watched = watched || seen || (hits & ((1u << at) - 1)) != 0;
                return i + at / Width;
            }
            seen = seen || hits != 0;
        }
        watched = watched || seen;
    }
#endif
    for (; i < count; ++i) {
        const std::uint32_t unit = unitAt<Width, BigEndian>(p + Width * i);
        if (unit == '\r' || unit == '\n') return i;
        watched = watched || unit == watch[0] || unit == watch[1];
    }
    return count;
}

template <int Width, bool BigEndian, bool Vector>
std::size_t narrowPlainUnits(const unsigned char* p, std::size_t count, char* out) {
    static_assert(Width == 2 || Width == 4);
    std::size_t i = 0;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector && Width == 2) {
        const __m128i pastAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
        const __m128i cr = _mm_set1_epi16('\r');
        const __m128i lf = _mm_set1_epi16('\n');
        const __m128i zero = _mm_setzero_si128();
        for (; i + 8 <= count; i += 8) {
            __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
            if (BigEndian) units = _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8));
            const __m128i ends =
                _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf));
            const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, pastAscii), zero);
            if (_mm_movemask_epi8(_mm_andnot_si128(ends, ascii)) != 0xFFFF) break;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
        }
    } else if constexpr (Vector) {
        // Units loaded as little-endian words: a big-endian unit has its value in the top byte.
        const auto word = [](std::uint32_t v) {
            if (BigEndian) v = v << 24 | (v & 0xFF00u) << 8 | (v >> 8 & 0xFF00u) | v >> 24;
            return _mm_set1_epi32(static_cast<int>(v));
        };
        const __m128i pastAscii = word(0xFFFFFF80u), cr = word('\r'), lf = word('\n');
        const __m128i zero = _mm_setzero_si128();
        const auto plain = [&](__m128i units) {
            const __m128i ends =
                _mm_or_si128(_mm_cmpeq_epi32(units, cr), _mm_cmpeq_epi32(units, lf));
            return _mm_andnot_si128(ends, _mm_cmpeq_epi32(_mm_and_si128(units, pastAscii), zero));
        };
        for (; i + 8 <= count; i += 8) {
            __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i));
            __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i + 16));
            if (_mm_movemask_epi8(_mm_and_si128(plain(a), plain(b))) != 0xFFFF) break;
            if (BigEndian) a = _mm_srli_epi32(a, 24), b = _mm_srli_epi32(b, 24);
            const __m128i halves = _mm_packs_epi32(a, b);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(halves, halves));
        }
    }
#endif
    for (; i < count; ++i) {
        const std::uint32_t unit = unitAt<Width, BigEndian>(p + Width * i);
        if (unit >= 0x80 || unit == '\r' || unit == '\n') break;
        out[i] = static_cast<char>(unit);
    }
    return i;
}

template <int Width, bool BigEndian, bool Vector>
std::size_t widenAscii(const char* text, std::size_t size, char* out) {
    static_assert(Width == 2 || Width == 4);
    std::size_t at = 0;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        const __m128i zero = _mm_setzero_si128();
        for (; at + 16 <= size; at += 16, out += 16 * Width) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            if (_mm_movemask_epi8(chunk) != 0) break;
            const __m128i halves[2] = {
                BigEndian ? _mm_unpacklo_epi8(zero, chunk) : _mm_unpacklo_epi8(chunk, zero),
                BigEndian ? _mm_unpackhi_epi8(zero, chunk) : _mm_unpackhi_epi8(chunk, zero)};
            for (int i = 0; i < 2; ++i) {
                if constexpr (Width == 2) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), halves[i]);
                } else {
                    const __m128i low = BigEndian ? _mm_unpacklo_epi16(zero, halves[i])
                                                  : _mm_unpacklo_epi16(halves[i], zero);
                    const __m128i high = BigEndian ? _mm_unpackhi_epi16(zero, halves[i])
                                                   : _mm_unpackhi_epi16(halves[i], zero);
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * i), low);
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * i + 16), high);
                }
            }
        }
    }
#endif
    for (; at < size && static_cast<unsigned char>(text[at]) < 0x80; ++at, out += Width) {
        for (int b = 0; b < Width; ++b) out[b] = 0;
        out[BigEndian ? Width - 1 : 0] = text[at];
    }
    return at;
}

}  // namespace engine::detail
