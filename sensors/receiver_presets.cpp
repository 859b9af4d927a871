#include "sensors/receiver_presets.h"

#include "sensors/serial_gps.h"

namespace nivora {

const std::vector<ReceiverPreset>& receiverPresets() {
    static const std::vector<ReceiverPreset> kPresets = {
        {QStringLiteral("Topcon GNSS"),
         {QByteArrayLiteral("%%dm\n"), QByteArrayLiteral("%%em,/dev/ser/a,nmea/VTG:1\n"),
          QByteArrayLiteral("%%em,/dev/ser/a,nmea/ZDA:30\n"),
          QByteArrayLiteral("%%em,/dev/ser/a,nmea/GGA:0.5\n")}},
        {QStringLiteral("Hemisphere GNSS"),
         {QByteArrayLiteral("$JASC,GPGGA,5\r\n"), QByteArrayLiteral("$JASC,GPVTG,5\r\n"),
          QByteArrayLiteral("$JASC,GPZDA,10\r\n")}},
        {QStringLiteral("Geosun GNSS"), {}},
        {QStringLiteral("Leica GNSS"), {}},
    };
    return kPresets;
}

const ReceiverPreset* findReceiverPreset(const QString& caption) {
    for (const auto& p : receiverPresets()) {
        if (p.caption == caption) return &p;
    }
    return nullptr;
}

void sendReceiverPreset(TNivoraSerialGPS& reader, const ReceiverPreset& preset) {
    for (const QByteArray& c : preset.commands)
        reader.Write(c);
}

}  // namespace nivora
