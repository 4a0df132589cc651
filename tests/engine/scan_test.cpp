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
    std::vector<LineEndFinder> finders = {&findLineEnd, &findLineEndSse2<true>};
    if (const LineEndFinder avx2 = lineEndFinderAvx2()) finders.push_back(avx2);
    for (const char stopByte : {'\r', '\n', '\x7F', '\x80', '\xFF'}) {  // 7F stops nothing
        everyLengthAndStop([&](int length, int stop) {
            std::string bytes(static_cast<std::size_t>(length), 'x');
            if (stop >= 0) bytes[static_cast<std::size_t>(stop)] = stopByte;
            const char* begin = bytes.data();
            const char* end = begin + bytes.size();
            for (const bool orPastAscii : {false, true}) {
                const char* expected = findLineEndSse2<false>(begin, end, orPastAscii);
                for (const LineEndFinder find : finders)
                    EXPECT_EQ(find(begin, end, orPastAscii), expected) << int(stopByte);
            }
            EXPECT_EQ(findPastAscii<true>(begin, end), findPastAscii<false>(begin, end));
        });
    }
}

// Code units of `Width` bytes narrowed while ASCII and no line end; ASCII widened to them.
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
