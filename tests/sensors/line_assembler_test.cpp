#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensors/line_assembler.h"

namespace nivora {
namespace {

std::vector<std::string> drain(LineAssembler& a) {
    std::vector<std::string> out;
    std::string_view line;
    while (a.next(line))
        out.emplace_back(line);
    a.bound();
    return out;
}

TEST(LineAssembly, LineFeedEndsALineAndTheRestWaits) {
    LineAssembler a;
    a.append("$GPGGA,1\r\n$GPVTG");
    EXPECT_EQ(drain(a), std::vector<std::string>{"$GPGGA,1"});
    EXPECT_EQ(a.pendingText(), "$GPVTG");
    a.append(",2\n");
    EXPECT_EQ(drain(a), std::vector<std::string>{"$GPVTG,2"});
    EXPECT_EQ(a.pending(), 0u);
}

TEST(LineAssembly, TrimAndEmptyLines) {
    LineAssembler a;
    a.append("\r\n   \n\t\x01 $A,1 \x7f\r\n\r\rB\r\n");
    EXPECT_EQ(drain(a), (std::vector<std::string>{"$A,1 \x7f", "B"}))
        << "bytes up to 32 are trimmed, a lone CR is not a terminator";
}

// A u-blox binary frame: sync, class, id, little-endian length, payload, checksum.
std::string ubxFrame(std::string_view payload) {
    std::string f = "\xB5\x62\x01\x07";
    f += static_cast<char>(payload.size() & 0xFF);
    f += static_cast<char>(payload.size() >> 8);
    f += payload;
    unsigned char a = 0, b = 0;
    for (std::size_t i = 2; i < f.size(); ++i) {
        a = static_cast<unsigned char>(a + static_cast<unsigned char>(f[i]));
        b = static_cast<unsigned char>(b + a);
    }
    return f + static_cast<char>(a) + static_cast<char>(b);
}

TEST(LineAssembly, BinaryFramesNeverCostASentence) {
    // Once a NUL dropped the rest of a read and a frame in front of a
    // sentence on its line hid the sentence.
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    const std::string payload("\0\0$G\nPS\x01\x80\xFF,12", 13);  // a NUL, a "$", a line feed
    LineAssembler a;
    a.append(ubxFrame(payload) + gga + "\r\n");       // frame, sentence, one line
    a.append(gga + "\r\n" + ubxFrame(payload));       // sentence, then a frame before the next
    a.append(std::string("\0\0", 2) + gga + "\r\n");  // NUL padding
    a.append("$GPHDT,1,T\r\n");
    EXPECT_EQ(drain(a), (std::vector<std::string>{gga, gga, gga, "$GPHDT,1,T"}));
    // The frame's bytes: its 6-byte header, the payload, 2 checksum bytes, twice; the padding.
    const std::size_t frame = 6 + payload.size() + 2;
    EXPECT_EQ(a.binaryBytesSkipped(), 2 * frame - 2 * 1 /* the payload's line feed */ + 2)
        << "what is thrown away is counted";
}

TEST(LineAssembly, ALineWithBinaryAndNoSentenceAfterItIsDropped) {
    LineAssembler a;
    a.append(
        "$GPGGA,1\x01\x02,2\r\nSDDBT\x03tail\r\nS\x01$G\r\n/Ty\x9E\r\n$GPHDT,1.0,T\r\n12.3 m,15 "
        "C\r\n");
    EXPECT_EQ(drain(a), (std::vector<std::string>{"$GPHDT,1.0,T", "12.3 m,15 C"}))
        << "a sentence with binary bytes inside is broken, text after them that is not one is "
           "no line; a line of text is kept as it came";
}

TEST(LineAssembly, UnterminatedTextIsBounded) {
    LineAssembler a;
    std::string big(5000, 'x');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + i % 26);
    a.append(big);
    EXPECT_TRUE(drain(a).empty());
    EXPECT_EQ(a.pending(), 2048u);
    EXPECT_EQ(a.pendingText(), std::string_view(big).substr(5000 - 2048));
    // 4096 bytes are still kept whole.
    LineAssembler b;
    b.append(std::string(4096, 'y'));
    drain(b);
    EXPECT_EQ(b.pending(), 4096u);
}

TEST(LineAssembly, TenKilobyteLineThenNormalTraffic) {
    LineAssembler a;
    for (int i = 0; i < 10; ++i) {
        a.append(std::string(1023, 'z'));
        drain(a);
        EXPECT_LE(a.pending(), 4096u + 1023u);
    }
    a.append("\n$GPHDT,1,T\n");
    const auto lines = drain(a);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "$GPHDT,1,T");
}

}  // namespace
}  // namespace nivora
