// Bytes from a GNSS receiver through the real reader on a memory port: line
// assembly, checksums and the reader's decoding, with the survey's GNSS
// side (the tracker) as the line sink, as the survey wires them.
//
// Byte 0 steers the run: bits 0-5 the size of the pieces the port gets
// between polls, bit 6 the offsets window, bit 7 offset texts from the
// first line ("a,b,c,d"). The rest is what the receiver sends.

#include <QCoreApplication>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sensors/serial_gps.h"
#include "sensors/serial_transport.h"
#include "survey/gnss_tracker.h"

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "gnss_path_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nivora;
    app();
    if (size == 0) return 0;
    const std::uint8_t steer = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

    OffsetFieldTexts offsets{QStringLiteral("0.5"), QStringLiteral("1480"), QStringLiteral("1"),
                             QStringLiteral("0")};
    if (steer & 0x80) {
        const std::size_t nl = rest.find('\n');
        const QStringList parts = QString::fromLatin1(rest.substr(0, nl)).split(QLatin1Char(','));
        QString* fields[] = {&offsets.offsetA, &offsets.soundVelocity, &offsets.offsetC,
                             &offsets.tideHeight};
        for (int i = 0; i < 4 && i < parts.size(); ++i)
            *fields[i] = parts.at(i);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    }

    VirtualTime time(QDateTime(QDate(2024, 5, 1), QTime(12, 0)));
    GnssTracker tracker;
    TNivoraSerialGPS gps(time, time);
    MemoryTransport* port = nullptr;
    gps.setTransportFactory(MemoryTransport::factory(port));
    gps.setLineSink([&](const NmeaSentence&, const GnssReading& r) {
        tracker.apply(r, time.msecsSinceEpoch(), 0, (steer & 0x40) != 0 ? nullptr : &offsets);
    });
    gps.Open();
    if (!gps.isOpen() || !port) std::abort();

    const std::size_t piece = 1 + (steer & 0x3f) * 37u;
    for (std::size_t off = 0; off < rest.size(); off += piece) {
        const std::string_view p = rest.substr(off, piece);
        port->push(QByteArray(p.data(), static_cast<qsizetype>(p.size())));
        // The reader takes at most a buffer per tick: drain what is waiting.
        while (gps.isOpen() && port->bytesAvailable() > 0)
            gps.pollTick();
    }
    if (gps.pendingText().size() > 64 * 1024) std::abort();  // the assembler must stay bounded
    gps.idleCheck();
    gps.Close();
    return 0;
}
