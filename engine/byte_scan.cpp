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
#endif

}  // namespace

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
