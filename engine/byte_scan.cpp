#include "engine/byte_scan.h"

#if defined(ENGINE_HAVE_SSE2) && defined(__GNUC__)
#include <immintrin.h>
#define ENGINE_HAVE_AVX2_DISPATCH 1
#endif

namespace engine::detail {
namespace {

#ifdef ENGINE_HAVE_AVX2_DISPATCH
__attribute__((target("avx2"))) const char* findLineEndAvx2(const char* p, const char* end,
                                                            bool orPastAscii) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const std::uint64_t pastAscii = orPastAscii ? ~std::uint64_t{0} : 0;
    // Two chunks a round, combined into one 64-bit mask; lines are short, so the loop's own
    // cost shows.
    for (; end - p >= 64; p += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        const __m256i endsA = _mm256_or_si256(_mm256_cmpeq_epi8(a, cr), _mm256_cmpeq_epi8(a, lf));
        const __m256i endsB = _mm256_or_si256(_mm256_cmpeq_epi8(b, cr), _mm256_cmpeq_epi8(b, lf));
        const std::uint64_t ends =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(endsA)) |
            std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(endsB))} << 32;
        const std::uint64_t high =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(a)) |
            std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(b))} << 32;
        if (const std::uint64_t mask = ends | (high & pastAscii)) {
            return p + std::countr_zero(mask);
        }
    }
    return findLineEndSse2(p, end, orPastAscii);
}
#endif

}  // namespace

LineEndFinder lineEndFinderAvx2() {
#ifdef ENGINE_HAVE_AVX2_DISPATCH
    if (__builtin_cpu_supports("avx2")) return findLineEndAvx2;
#endif
    return nullptr;
}

const char* findLineEnd(const char* p, const char* end, bool orPastAscii) {
    static const LineEndFinder finder = [] {
        const LineEndFinder avx2 = lineEndFinderAvx2();
        return avx2 != nullptr ? avx2 : &findLineEndSse2<true>;
    }();
    return finder(p, end, orPastAscii);
}

}  // namespace engine::detail
