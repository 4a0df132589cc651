// Every vector scan against its plain loop, on inputs whose one stop lies at every position of
// lengths around the vector widths, so that each chunk edge and tail is crossed.
#include <gtest/gtest.h>

#include "engine/byte_scan.h"
#include "tests/support/support.h"

namespace {

using namespace engine::detail;

// Lengths 0 to 140, and the stop at every position or nowhere (-1).
template <class Check>
void everyLengthAndStop(Check check) {
    for (int length = 0; length <= 140; ++length) {
        for (int stop = -1; stop < length; ++stop) {
            SCOPED_TRACE(std::to_string(length) + " " + std::to_string(stop));
            check(length, stop);
        }
    }
}

TEST(ScanTest, VectorLineEndAndPastAsciiScansAgreeWithThePlainLoop) {
    for (const char stopByte : {'\r', '\n', '\x7F', '\x80', '\xFF'}) {  // 7F stops nothing
        everyLengthAndStop([&](int length, int stop) {
            std::string bytes(static_cast<std::size_t>(length), 'x');
            if (stop >= 0) bytes[static_cast<std::size_t>(stop)] = stopByte;
            // A second stop further on, for the cursor to find with the mask it kept.
            if (stop >= 0 && length - stop > 3) bytes[static_cast<std::size_t>(length - 2)] = '\n';
            const char* begin = bytes.data();
            const char* end = begin + bytes.size();
            for (const bool orPastAscii : {false, true}) {
                const char* expected = findLineEnd<false>(begin, end, orPastAscii);
                EXPECT_EQ(findLineEnd<true>(begin, end, orPastAscii), expected) << int(stopByte);
                LineEndCursor cursor;
                for (const char* at = begin; at < end; at = expected + 1) {
                    expected = findLineEnd<false>(at, end, orPastAscii);
                    EXPECT_EQ(cursor.next(at, end, orPastAscii), expected) << at - begin;
                }
                if (length >= 64) {
                    EXPECT_EQ(lineEndMask<true>(begin, orPastAscii),
                              lineEndMask<false>(begin, orPastAscii));
                }
            }
            EXPECT_EQ(findPastAscii<true>(begin, end), findPastAscii<false>(begin, end));
            // The stop byte followed by a line end or an x, as a needle's two anchors are found.
            if (length < 2) return;
            const std::array<unsigned char, 2> stopped = {static_cast<unsigned char>(stopByte),
                                                          static_cast<unsigned char>(stopByte)};
            const std::array<unsigned char, 2> next = {'\n', 'x'};
            const auto last = static_cast<std::size_t>(length - 2);
            const std::size_t expected = findKeyPair<false>(begin, 0, last, 0, stopped, 1, next);
            EXPECT_EQ(findKeyPair<true>(begin, 0, last, 0, stopped, 1, next), expected);
            EXPECT_EQ(findKeyPairFast(begin, 0, last, 0, stopped, 1, next), expected);
            if (const KeyPairFinder avx2 = keyPairFinderAvx2()) {
                EXPECT_EQ(avx2(begin, 0, last, 0, stopped, 1, next), expected);
            }
        });
    }
}

// Code units of `Width` bytes narrowed while ASCII and no line end; ASCII widened to them; and
// scanned for their line end and for pairs of units.
template <int Width, bool BigEndian>
void checkUnits(std::uint32_t stopUnit) {
    everyLengthAndStop([&](int length, int stop) {
        std::u32string values;
        std::string text;
        for (int i = 0; i < length; ++i) {
            values += i == stop ? stopUnit : U'a' + i % 26;
            text += i == stop ? '\xC3' : static_cast<char>(1 + i);
        }
        const std::string units = test::units(values, Width, BigEndian, false);
        const auto* p = reinterpret_cast<const unsigned char*>(units.data());
        const auto count = static_cast<std::size_t>(length);
        std::string vector((Width + 1) * count, '?'), plain = vector;
        EXPECT_EQ((narrowPlainUnits<Width, BigEndian, true>(p, count, vector.data())),
                  (narrowPlainUnits<Width, BigEndian, false>(p, count, plain.data())));
        EXPECT_EQ((widenAscii<Width, BigEndian, true>(text.data(), count, vector.data() + count)),
                  (widenAscii<Width, BigEndian, false>(text.data(), count, plain.data() + count)));
        EXPECT_EQ(vector, plain) << Width << BigEndian << " " << stopUnit;
        // The line end; and a unit followed by another, as a needle's two anchors are found;
        // SSE2 and the processor's fastest form against the plain loop.
        const std::size_t end = findUnitLineEnd<Width, BigEndian, false>(p, count);
        EXPECT_EQ((findUnitLineEnd<Width, BigEndian, true>(p, count)), end);
        EXPECT_EQ(unitLineEndFinder(Width, BigEndian)(p, count), end);
        if (count < 2) return;
        const std::array<std::uint32_t, 2> stopped = {stopUnit, 'x'};
        const std::array<std::uint32_t, 2> next = {U'a' + (stop + 1) % 26, 'z'};
        for (const std::size_t a : {0, 1}) {
            const std::size_t pair =
                findUnitKeyPair<Width, BigEndian, false>(p, 0, count - 2, a, stopped, 1 - a, next);
            EXPECT_EQ(
                (findUnitKeyPair<Width, BigEndian, true>(p, 0, count - 2, a, stopped, 1 - a, next)),
                pair);
            EXPECT_EQ(unitKeyPairFinder(Width, BigEndian)(p, 0, count - 2, a, stopped, 1 - a, next),
                      pair);
        }
    });
}

TEST(ScanTest, VectorNarrowingAndWideningOfCodeUnitsAgreeWithThePlainLoop) {
    for (const std::uint32_t stopUnit : {0x0Du, 0x0Au, 0x80u, 0x100u, 0x8041u}) {
        checkUnits<2, false>(stopUnit);
        checkUnits<2, true>(stopUnit);
    }
    for (const std::uint32_t stopUnit : {0x0Du, 0x0Au, 0x80u, 0x100u, 0x10041u, 0x41000041u}) {
        checkUnits<4, false>(stopUnit);
        checkUnits<4, true>(stopUnit);
    }
}

}  // namespace
