#pragma once

// The main window's standard layers and the layer a track mark goes to.

#include <QString>

namespace nivora {

class CanvasDocument;

namespace layer_names {
inline const QString Grid = QStringLiteral("Nivora Grid");
inline const QString TrackFix = QStringLiteral("track_fix");
inline const QString TrackNoFix = QStringLiteral("track_nofix");
inline const QString TrackFloat = QStringLiteral("track_float");
inline const QString TempShape = QStringLiteral("nivora_tempshape");
inline const QString UserShape = QStringLiteral("nivora_usershape");
inline const QString EventNumber = QStringLiteral("event_number");
inline const QString Vessel = QStringLiteral("~~Nivora Vessel");
}  // namespace layer_names

struct StandardLayers {
    int grid = -1;
    int trackFix = -1;
    int trackNoFix = -1;
    int trackFloat = -1;
    int tempShape = -1;
    int userShape = -1;
    int eventNumber = -1;
    int vessel = -1;
};

// Looks each standard layer up and opens the missing ones, in the order of
// the window's layer set.
StandardLayers EnsureLayers(CanvasDocument& doc);

// RTK fixed to "track_fix"; RTK float, DGPS and PPS to "track_float"; the rest to "track_nofix".
int trackLayerFor(const StandardLayers& layers, int fixQuality);

}  // namespace nivora
