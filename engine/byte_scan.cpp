#include "engine/byte_scan.h"

#if defined(ENGINE_HAVE_SSE2) && defined(__GNUC__)
#include <immintrin.h>
#define ENGINE_HAVE_AVX2_DISPATCH 1
#endif

namespace engine::detail {
namespace {

#ifdef ENGINE_HAVE_AVX2_DISPATCH
// 64 places a round: most scans run far between two places worth comparing.
__attribute__((target("avx2"))) std::size_t findKeyPairAvx2(
    const char* p, std::size_t from, std::size_t last, std::size_t offsetA,
    const std::array<unsigned char, 2>& keysA, std::size_t offsetB,
    const std::array<unsigned char, 2>& keysB) {
    const __m256i a0 = _mm256_set1_epi8(static_cast<char>(keysA[0]));
    const __m256i a1 = _mm256_set1_epi8(static_cast<char>(keysA[1]));
    const __m256i b0 = _mm256_set1_epi8(static_cast<char>(keysB[0]));
    const __m256i b1 = _mm256_set1_epi8(static_cast<char>(keysB[1]));
    std::size_t at = from;
    for (; at + 64 <= last + 1; at += 64) {
        std::uint64_t mask = 0;
        for (std::size_t half = 0; half < 2; ++half) {
            const char* q = p + at + 32 * half;
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + offsetA));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + offsetB));
            const __m256i both = _mm256_and_si256(
                _mm256_or_si256(_mm256_cmpeq_epi8(a, a0), _mm256_cmpeq_epi8(a, a1)),
                _mm256_or_si256(_mm256_cmpeq_epi8(b, b0), _mm256_cmpeq_epi8(b, b1)));
            mask |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(both))}
                    << (32 * half);
        }
        if (mask != 0) return at + static_cast<std::size_t>(std::countr_zero(mask));
    }
    return findKeyPair<true>(p, at, last, offsetA, keysA, offsetB, keysB);
}

// 32 bytes of code units a round.
template <int Width, bool BigEndian>
__attribute__((target("avx2"))) __m256i unitsEqual(__m256i units, std::uint32_t value) {
    value = unitAsLoaded<Width, BigEndian>(value);
    if constexpr (Width == 2) {
        return _mm256_cmpeq_epi16(units, _mm256_set1_epi16(static_cast<short>(value)));
    } else {
        return _mm256_cmpeq_epi32(units, _mm256_set1_epi32(static_cast<int>(value)));
    }
}

template <int Width, bool BigEndian>
__attribute__((target("avx2"))) std::size_t findUnitLineEndAvx2(const unsigned char* p,
                                                                std::size_t count) {
    constexpr std::size_t perVector = 32 / Width;
    std::size_t i = 0;
    for (; i + perVector <= count; i += perVector) {
        const __m256i units = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + Width * i));
        const auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(
            unitsEqual<Width, BigEndian>(units, '\r'), unitsEqual<Width, BigEndian>(units, '\n'))));
        if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask)) / Width;
    }
    return i + findUnitLineEnd<Width, BigEndian>(p + Width * i, count - i);
}

template <int Width, bool BigEndian>
__attribute__((target("avx2"))) std::size_t findUnitKeyPairAvx2(
    const unsigned char* p, std::size_t from, std::size_t last, std::size_t offsetA,
    const std::array<std::uint32_t, 2>& keysA, std::size_t offsetB,
    const std::array<std::uint32_t, 2>& keysB) {
    constexpr std::size_t perVector = 32 / Width;
    std::size_t at = from;
    for (; at + perVector <= last + 1; at += perVector) {
        const __m256i a =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + Width * (at + offsetA)));
        const __m256i b =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + Width * (at + offsetB)));
        const __m256i both =
            _mm256_and_si256(_mm256_or_si256(unitsEqual<Width, BigEndian>(a, keysA[0]),
                                             unitsEqual<Width, BigEndian>(a, keysA[1])),
                             _mm256_or_si256(unitsEqual<Width, BigEndian>(b, keysB[0]),
                                             unitsEqual<Width, BigEndian>(b, keysB[1])));
        const auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(both));
        if (mask != 0) return at + static_cast<std::size_t>(std::countr_zero(mask)) / Width;
    }
    return findUnitKeyPair<Width, BigEndian>(p, at, last, offsetA, keysA, offsetB, keysB);
}
#endif

bool haveAvx2() {
#ifdef ENGINE_HAVE_AVX2_DISPATCH
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
#else
    return false;
#endif
}

// The form of `Finder` for `width` and `bigEndian`: AVX2 where there is one, else SSE2.
template <class Finder, template <int, bool> class Pick>
Finder pickUnitForm(std::size_t width, bool bigEndian) {
    if (width == 4) return bigEndian ? Pick<4, true>::get() : Pick<4, false>::get();
    return bigEndian ? Pick<2, true>::get() : Pick<2, false>::get();
}

template <int Width, bool BigEndian>
struct LineEndForm {
    static UnitLineEndFinder get() {
#ifdef ENGINE_HAVE_AVX2_DISPATCH
        if (haveAvx2()) return &findUnitLineEndAvx2<Width, BigEndian>;
#endif
        return &findUnitLineEnd<Width, BigEndian>;
    }
};

template <int Width, bool BigEndian>
struct KeyPairForm {
    static UnitKeyPairFinder get() {
#ifdef ENGINE_HAVE_AVX2_DISPATCH
        if (haveAvx2()) return &findUnitKeyPairAvx2<Width, BigEndian>;
#endif
        return &findUnitKeyPair<Width, BigEndian>;
    }
};

}  // namespace

UnitLineEndFinder unitLineEndFinder(std::size_t width, bool bigEndian) {
    return pickUnitForm<UnitLineEndFinder, LineEndForm>(width, bigEndian);
}

UnitKeyPairFinder unitKeyPairFinder(std::size_t width, bool bigEndian) {
    return pickUnitForm<UnitKeyPairFinder, KeyPairForm>(width, bigEndian);
}

KeyPairFinder keyPairFinderAvx2() {
#ifdef ENGINE_HAVE_AVX2_DISPATCH
    if (__builtin_cpu_supports("avx2")) return findKeyPairAvx2;
#endif
    return nullptr;
}

std::size_t findKeyPairFast(const char* p, std::size_t from, std::size_t last, std::size_t offsetA,
                            const std::array<unsigned char, 2>& keysA, std::size_t offsetB,
                            const std::array<unsigned char, 2>& keysB) {
    static const KeyPairFinder finder = [] {
        const KeyPairFinder avx2 = keyPairFinderAvx2();
        return avx2 != nullptr ? avx2 : &findKeyPair<true>;
    }();
    return finder(p, from, last, offsetA, keysA, offsetB, keysB);
}

}  // namespace engine::detail
