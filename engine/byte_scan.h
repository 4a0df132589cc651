// Every processor-specific scan of the engine, in one place: sixteen bytes at a time where the
// processor has SSE2 (every x86-64), 32 with AVX2 where it has that and it pays, and a plain
// loop otherwise.
// Each scan takes `Vector`: false gives the plain loop, the reference the tests hold the vector
// forms to.
#pragma once

#include <array>
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
// comes first; end when there is none.
template <bool Vector = true>
const char* findLineEnd(const char* p, const char* end, bool orPastAscii);

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
        return findLineEnd(p, end, orPastAscii);
    }

private:
    const char* chunk_ = nullptr;
    std::uint64_t mask_ = 0;
    bool pastAscii_ = false;
};

// The first `at` in [from, last] where p[at + offsetA] is one of keysA and p[at + offsetB] one
// of keysB (a key twice for one); last + 1 when there is none. p[last + either offset] must be
// readable.
template <bool Vector = true>
std::size_t findKeyPair(const char* p, std::size_t from, std::size_t last, std::size_t offsetA,
                        const std::array<unsigned char, 2>& keysA, std::size_t offsetB,
                        const std::array<unsigned char, 2>& keysB);

// The same for code units of `Width` bytes: the first unit index `at` in [from, last] where
// unit at + offsetA is one of keysA and unit at + offsetB one of keysB.
template <int Width, bool BigEndian, bool Vector = true>
std::size_t findUnitKeyPair(const unsigned char* p, std::size_t from, std::size_t last,
                            std::size_t offsetA, const std::array<std::uint32_t, 2>& keysA,
                            std::size_t offsetB, const std::array<std::uint32_t, 2>& keysB);

// The fastest form of findUnitLineEnd and findUnitKeyPair for this processor (AVX2 where it
// has it).
using UnitLineEndFinder = std::size_t (*)(const unsigned char*, std::size_t);
using UnitKeyPairFinder = std::size_t (*)(const unsigned char*, std::size_t, std::size_t,
                                          std::size_t, const std::array<std::uint32_t, 2>&,
                                          std::size_t, const std::array<std::uint32_t, 2>&);
UnitLineEndFinder unitLineEndFinder(std::size_t width, bool bigEndian);
UnitKeyPairFinder unitKeyPairFinder(std::size_t width, bool bigEndian);

// The same with AVX2 where the processor has it.
std::size_t findKeyPairFast(const char* p, std::size_t from, std::size_t last, std::size_t offsetA,
                            const std::array<unsigned char, 2>& keysA, std::size_t offsetB,
                            const std::array<unsigned char, 2>& keysB);
// The AVX2 form alone, or null where the processor or the compiler has none.
using KeyPairFinder = std::size_t (*)(const char*, std::size_t, std::size_t, std::size_t,
                                      const std::array<unsigned char, 2>&, std::size_t,
                                      const std::array<unsigned char, 2>&);
KeyPairFinder keyPairFinderAvx2();

// The index of the first CR or LF among the `count` code units of `Width` bytes at `p`, or
// `count` when there is none.
template <int Width, bool BigEndian, bool Vector = true>
std::size_t findUnitLineEnd(const unsigned char* p, std::size_t count);

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
const char* findLineEnd(const char* p, const char* end, bool orPastAscii) {
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
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const unsigned pastAscii = orPastAscii ? 0xFFFFu : 0u;
        const auto bits = [&](int at) -> std::uint64_t {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf));
            return static_cast<unsigned>(_mm_movemask_epi8(ends)) |
                   (static_cast<unsigned>(_mm_movemask_epi8(chunk)) & pastAscii);
        };
        return bits(0) | bits(16) << 16 | bits(32) << 32 | bits(48) << 48;
    }
#endif
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i) {
        const auto byte = static_cast<unsigned char>(p[i]);
        if (byte == '\r' || byte == '\n' || (orPastAscii && byte >= 0x80))
            mask |= std::uint64_t{1} << i;
    }
    return mask;
}

template <bool Vector>
std::size_t findKeyPair(const char* p, std::size_t from, std::size_t last, std::size_t offsetA,
                        const std::array<unsigned char, 2>& keysA, std::size_t offsetB,
                        const std::array<unsigned char, 2>& keysB) {
    std::size_t at = from;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        const auto key = [](unsigned char byte) { return _mm_set1_epi8(static_cast<char>(byte)); };
        const __m128i a0 = key(keysA[0]), a1 = key(keysA[1]), b0 = key(keysB[0]),
                      b1 = key(keysB[1]);
        for (; at + 16 <= last + 1; at += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at + offsetA));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at + offsetB));
            const __m128i both =
                _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, a0), _mm_cmpeq_epi8(a, a1)),
                              _mm_or_si128(_mm_cmpeq_epi8(b, b0), _mm_cmpeq_epi8(b, b1)));
            if (const int mask = _mm_movemask_epi8(both))
                return at + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
        }
    }
#endif
    const auto* bytes = reinterpret_cast<const unsigned char*>(p);
    for (; at <= last; ++at) {
        const unsigned char a = bytes[at + offsetA], b = bytes[at + offsetB];
        if ((a == keysA[0] || a == keysA[1]) && (b == keysB[0] || b == keysB[1])) return at;
    }
    return last + 1;
}

// A code unit's value as its bytes read in the processor's (little-endian) order.
template <int Width, bool BigEndian>
constexpr std::uint32_t unitAsLoaded(std::uint32_t v) {
    if (!BigEndian) return v;
    if constexpr (Width == 2) return (v & 0xFFu) << 8 | (v >> 8 & 0xFFu);
    return v << 24 | (v & 0xFF00u) << 8 | (v >> 8 & 0xFF00u) | v >> 24;
}

#ifdef ENGINE_HAVE_SSE2
// A code unit of `Width` bytes in every lane, as it lies in a file of that byte order.
template <int Width, bool BigEndian>
__m128i unitVector(std::uint32_t v) {
    v = unitAsLoaded<Width, BigEndian>(v);
    if constexpr (Width == 2) return _mm_set1_epi16(static_cast<short>(v));
    return _mm_set1_epi32(static_cast<int>(v));
}
#endif

// The code unit of `width` bytes at `p`, in the given byte order.
inline std::uint32_t unitValue(const unsigned char* p, std::size_t width, bool bigEndian) {
    std::uint32_t unit = 0;
    for (std::size_t b = 0; b < width; ++b) unit = unit << 8 | p[bigEndian ? b : width - 1 - b];
    return unit;
}

template <int Width, bool BigEndian>
std::uint32_t unitAt(const unsigned char* p) {
    std::uint32_t unit = 0;
    for (int b = 0; b < Width; ++b) unit = unit << 8 | p[BigEndian ? b : Width - 1 - b];
    return unit;
}

template <int Width, bool BigEndian, bool Vector>
std::size_t findUnitKeyPair(const unsigned char* p, std::size_t from, std::size_t last,
                            std::size_t offsetA, const std::array<std::uint32_t, 2>& keysA,
                            std::size_t offsetB, const std::array<std::uint32_t, 2>& keysB) {
    static_assert(Width == 2 || Width == 4);
    std::size_t at = from;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        const auto value = [](std::uint32_t v) { return unitVector<Width, BigEndian>(v); };
        const auto equal = [](__m128i a, __m128i b) {
            return Width == 2 ? _mm_cmpeq_epi16(a, b) : _mm_cmpeq_epi32(a, b);
        };
        const __m128i a0 = value(keysA[0]), a1 = value(keysA[1]), b0 = value(keysB[0]),
                      b1 = value(keysB[1]);
        constexpr std::size_t perVector = 16 / Width;
        for (; at + perVector <= last + 1; at += perVector) {
            const __m128i a =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + Width * (at + offsetA)));
            const __m128i b =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + Width * (at + offsetB)));
            const __m128i both = _mm_and_si128(_mm_or_si128(equal(a, a0), equal(a, a1)),
                                               _mm_or_si128(equal(b, b0), equal(b, b1)));
            if (const int mask = _mm_movemask_epi8(both))
                return at +
                       static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask))) /
                           Width;
        }
    }
#endif
    const std::uint32_t mask = Width == 2 ? 0xFFFFu : 0xFFFFFFFFu;
    for (; at <= last; ++at) {
        const std::uint32_t a = unitAt<Width, BigEndian>(p + Width * (at + offsetA));
        const std::uint32_t b = unitAt<Width, BigEndian>(p + Width * (at + offsetB));
        if ((a == (keysA[0] & mask) || a == (keysA[1] & mask)) &&
            (b == (keysB[0] & mask) || b == (keysB[1] & mask))) {
            return at;
        }
    }
    return last + 1;
}

template <int Width, bool BigEndian, bool Vector>
std::size_t findUnitLineEnd(const unsigned char* p, std::size_t count) {
    static_assert(Width == 2 || Width == 4);
    std::size_t i = 0;
#ifdef ENGINE_HAVE_SSE2
    if constexpr (Vector) {
        const auto equal = [](__m128i a, __m128i b) {
            return Width == 2 ? _mm_cmpeq_epi16(a, b) : _mm_cmpeq_epi32(a, b);
        };
        const __m128i cr = unitVector<Width, BigEndian>('\r');
        const __m128i lf = unitVector<Width, BigEndian>('\n');
        constexpr std::size_t perVector = 16 / Width;
        for (; i + 2 * perVector <= count; i += 2 * perVector) {
            const auto ends = [&](std::size_t at) {
                const __m128i units =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + Width * at));
                return static_cast<unsigned>(
                    _mm_movemask_epi8(_mm_or_si128(equal(units, cr), equal(units, lf))));
            };
            if (const unsigned mask = ends(i) | ends(i + perVector) << 16)
                return i + static_cast<std::size_t>(std::countr_zero(mask)) / Width;
        }
    }
#endif
    for (; i < count; ++i) {
        const std::uint32_t unit = unitAt<Width, BigEndian>(p + Width * i);
        if (unit == '\r' || unit == '\n') return i;
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
