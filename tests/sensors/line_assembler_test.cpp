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

TEST(LineAssembly, BytesAfterANulInAChunkAreDropped) {
    LineAssembler a;
    a.append(std::string_view("$A,1\0garbage\n", 13));
    a.append("\n$B\n");
    EXPECT_EQ(drain(a), (std::vector<std::string>{"$A,1", "$B"}));
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
