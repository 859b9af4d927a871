// Bytes from a serial port through line assembly, the reader's decoding and
// the survey's side of both ports.

#include <QStringList>
#include <cstdint>
#include <string_view>

#include "core/clock.h"
#include "sensors/line_assembler.h"
#include "sensors/nmea.h"
#include "survey/gnss_tracker.h"
#include "survey/sounder_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nivora;
    static const QStringList column{QStringLiteral("1490"), QStringLiteral("1491")};
    static VirtualTime time(QDateTime(QDate(2024, 5, 1), QTime(12, 0)));
    GnssDecoder decoder;
    GnssTracker gnss;
    SounderLineHandler sounder;
    const OffsetFieldTexts offsets{QStringLiteral("0.5"), QStringLiteral("1480"),
                                   QStringLiteral("1"), QStringLiteral("0")};
    LineAssembler lines;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    lines.feed(all, [&](std::string_view line) {
        if (nmeaChecksum(line) == Checksum::Invalid) return true;
        const GnssReading reading = decoder.decode(line);
        decoder.apply(reading);
        gnss.apply(reading, time.msecsSinceEpoch(), 0, &offsets);
        for (const auto& family : echosounderFamilies()) {
            SounderLineInputs in;
            in.family = QLatin1String(family.name);
            in.pattern = QLatin1String(family.defaultPattern);
            in.alertDepthText = QStringLiteral("2");
            in.offsetAText = QStringLiteral("0.5");
            in.useProfile = (line.size() & 1) != 0;
            in.velocityColumn = &column;
            in.offsets = gnss.offsets();
            sounder.handle(line, in);
        }
        return true;
    });
    return 0;
}
