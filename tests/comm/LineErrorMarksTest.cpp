// Line errors marked in the input of a tty: the marks are undone, each faulty byte is told apart,
// and a data byte FFh passes as one byte.

#include "comm/serial/LineErrorMarks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Received {
    std::vector<uint8_t> bytes;
    std::vector<bool> faulty;
};

Received Decode(zbserial::LineErrorMarks& Marks, const std::vector<uint8_t>& Raw)
{
    Received out;
    for (uint8_t raw : Raw) {
        uint8_t byte = 0;
        bool faulty = false;
        if (Marks.Take(raw, byte, faulty)) {
            out.bytes.push_back(byte);
            out.faulty.push_back(faulty);
        }
    }
    return out;
}

} // namespace

TEST(LineErrorMarks, MarksAreUndoneAndFaultyBytesToldApart)
{
    zbserial::LineErrorMarks marks;
    // 'r', a data byte FFh, '1' with a parity error, a break (FFh 00h 00h), then LF.
    const Received got = Decode(marks, {'r', 0xFF, 0xFF, 0xFF, 0x00, '1', 0xFF, 0x00, 0x00, '\n'});
    EXPECT_EQ(got.bytes, (std::vector<uint8_t>{'r', 0xFF, '1', 0x00, '\n'}));
    EXPECT_EQ(got.faulty, (std::vector<bool>{false, false, true, true, false}));

    // A byte after FFh that no tty produces is taken as faulty, never silently as data.
    const Received odd = Decode(marks, {0xFF, 'x', 'y'});
    EXPECT_EQ(odd.bytes, (std::vector<uint8_t>{'x', 'y'}));
    EXPECT_EQ(odd.faulty, (std::vector<bool>{true, false}));
}

TEST(LineErrorMarks, AMarkSplitAcrossReadsIsCompletedAndResetForgetsIt)
{
    zbserial::LineErrorMarks marks;
    EXPECT_TRUE(Decode(marks, {0xFF}).bytes.empty());
    EXPECT_TRUE(Decode(marks, {0x00}).bytes.empty());
    const Received rest = Decode(marks, {'7'});
    EXPECT_EQ(rest.bytes, std::vector<uint8_t>{'7'});
    EXPECT_EQ(rest.faulty, std::vector<bool>{true});

    // Purged input: an incomplete mark must not swallow the first byte of the next reply.
    Decode(marks, {0xFF});
    marks.Reset();
    const Received next = Decode(marks, {'r'});
    EXPECT_EQ(next.bytes, std::vector<uint8_t>{'r'});
    EXPECT_EQ(next.faulty, std::vector<bool>{false});
}
