// The autopilot output's way out: a serial port at its baud rate, the rate
// limit, and a port that cannot be opened said once and tried again.

#include <gtest/gtest.h>

#include "survey/autopilot_output.h"

namespace nivora {
namespace {

TEST(AutopilotOutput, SerialPortRateAndAFailureSaidOnce) {
    QStringList said;
    MemoryTransport* port = nullptr;
    TransportFactory memory = MemoryTransport::factory(port);
    bool refuse = true;
    AutopilotOutput out([&](const QString& t) { said << t; },
                        [&](const QString& device) -> std::unique_ptr<SerialTransport> {
                            auto p = memory(device);
                            static_cast<MemoryTransport&>(*p).failOpen = refuse;
                            return p;
                        });
    out.configure(QStringLiteral("/dev/ttyUSB1,9600"), 2);
    const std::vector<std::string> set{"$GPXTE,A,A,0.0010,L,N,A*00\r\n", "$GPAPB\r\n"};
    EXPECT_FALSE(out.offer(set, 0));
    EXPECT_FALSE(out.offer(set, 600));
    EXPECT_FALSE(out.offer(set, 1900)) << "tried again only after 2 s";
    EXPECT_EQ(said.size(), 1) << said.join(QLatin1Char('|')).toStdString();
    refuse = false;
    EXPECT_TRUE(out.offer(set, 2100));
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->settings().baudRate, 9600u);
    EXPECT_EQ(port->written(), QByteArray("$GPXTE,A,A,0.0010,L,N,A*00\r\n$GPAPB\r\n"));
    EXPECT_FALSE(out.offer(set, 2400)) << "2 Hz: not before 500 ms";
    EXPECT_TRUE(out.offer(set, 2600));
    EXPECT_EQ(out.sentencesSent(), 4);
    // A UDP target without a port is refused with what it needs.
    out.configure(QStringLiteral("udp://127.0.0.1"), 2);
    EXPECT_FALSE(out.offer(set, 5000));
    EXPECT_TRUE(said.last().contains(QStringLiteral("udp://ADDRESS:PORT")))
        << said.last().toStdString();
}

}  // namespace
}  // namespace nivora
