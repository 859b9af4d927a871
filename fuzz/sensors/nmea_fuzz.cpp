// Bytes from a serial port through line assembly, the reader's decoding and
// both window handlers.

#include <QStringList>
#include <cstdint>
#include <string_view>

#include "sensors/line_assembler.h"
#include "sensors/nmea.h"
#include "survey/gnss_handler.h"
#include "survey/sounder_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nivora;
    static const QStringList column{QStringLiteral("1490"), QStringLiteral("1491")};
    RealtimeState state;
    GnssLineHandler gnss(state);
    SounderLineHandler sounder(state);
    const OffsetFieldTexts offsets{QStringLiteral("0.5"), QStringLiteral("1480"),
                                   QStringLiteral("1"), QStringLiteral("0")};
    GnssLineInputs gin;
    gin.offsets = &offsets;
    NavValues nav;
    LineAssembler lines;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    lines.feed(all, [&](std::string_view line) {
        if (nmeaChecksum(line) == Checksum::Invalid) return true;
        gin.readerFixQuality = nav.fixQuality;
        gnss.handle(line, gin);
        if (line[0] == '$') decodeNmea(line, nav);
        for (const auto& family : echosounderFamilies()) {
            SounderLineInputs in;
            in.family = QLatin1String(family.name);
            in.pattern = QLatin1String(family.defaultPattern);
            in.alertDepthText = QStringLiteral("2");
            in.offsetAText = QStringLiteral("0.5");
            in.useProfile = (line.size() & 1) != 0;
            in.velocityColumn = &column;
            sounder.handle(line, in);
        }
        return true;
    });
    return 0;
}
