#pragma once

// Command sets that make a receiver output the sentences the program reads.

#include <QByteArray>
#include <QString>
#include <vector>

namespace nivora {

class TNivoraSerialGPS;

struct ReceiverPreset {
    QString caption;                   // menu item
    std::vector<QByteArray> commands;  // sent byte for byte, in order
};

// "Topcon GNSS", "Hemisphere GNSS", "Geosun GNSS", "Leica GNSS"; the last two
// carry no commands.
const std::vector<ReceiverPreset>& receiverPresets();
const ReceiverPreset* findReceiverPreset(const QString& caption);

// Writes each command to the reader; a closed reader ignores them.
void sendReceiverPreset(TNivoraSerialGPS& reader, const ReceiverPreset& preset);

}  // namespace nivora
