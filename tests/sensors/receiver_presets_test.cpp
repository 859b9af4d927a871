#include <gtest/gtest.h>

#include <QSignalSpy>

#include "core/clock.h"
#include "sensors/receiver_presets.h"
#include "sensors/serial_gps.h"

namespace nivora {
namespace {

TEST(ReceiverPresets, CommandsGoOutByteForByte) {
    VirtualTime vt(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    TNivoraSerialGPS reader(vt, vt);
    MemoryTransport* port = nullptr;
    reader.setTransportFactory(MemoryTransport::factory(port));
    QSignalSpy sent(&reader, &TNivoraSerialGPS::OnSend);

    sendReceiverPreset(reader, *findReceiverPreset(QStringLiteral("Topcon GNSS")));
    EXPECT_EQ(sent.size(), 0) << "a closed port sends nothing";

    reader.Open();
    sendReceiverPreset(reader, *findReceiverPreset(QStringLiteral("Topcon GNSS")));
    EXPECT_EQ(sent.size(), 4);
    EXPECT_EQ(port->written(),
              QByteArray("%%dm\n%%em,/dev/ser/a,nmea/VTG:1\n%%em,/dev/ser/a,nmea/ZDA:30\n"
                         "%%em,/dev/ser/a,nmea/GGA:0.5\n"));
    sendReceiverPreset(reader, *findReceiverPreset(QStringLiteral("Hemisphere GNSS")));
    EXPECT_EQ(sent.size(), 7);
    EXPECT_TRUE(port->written().endsWith("$JASC,GPGGA,5\r\n$JASC,GPVTG,5\r\n$JASC,GPZDA,10\r\n"));
    EXPECT_TRUE(findReceiverPreset(QStringLiteral("Leica GNSS"))->commands.empty());
}

}  // namespace
}  // namespace nivora
