#pragma once

// The program's icon set: SVG files in app/icons (a designer can open and
// change them), compiled in as a resource, drawn at the size and screen scale
// asked for, so every toolbar, menu and the window itself share one look.

#include <QIcon>
#include <QString>
#include <vector>

namespace nivora {

enum class IconId {
    // top toolbar
    Runline,
    Settings,
    ClearFixed,
    ClearFloat,
    ClearAuto,
    SelectTrack,
    DeleteSelected,
    Follow,
    NoFollow,
    // second toolbar
    Open,
    Save,
    ZoomIn,
    ZoomOut,
    ZoomExtents,
    ZoomWindow,
    ZoomDynamic,
    Pan,
    ShapeSelect,
    ClearUserShapes,
    AddEvent,
    ResetEvent,
    Exit,
    Restart,
    // left drawing toolbar
    ToolPoint,
    ToolLine,
    ToolRectangle,
    ToolPolyline,
    ToolEllipse,
    ToolPolygon,
    ToolCurve,
    ToolArc,
    ToolCircle,
    // real-time data window toolbar and menus
    Offsets,
    LogFolder,
    CompactMode,
    Echogram,
    RealtimeWindow,
    SoundVelocity,
    Navigation,
    VesselShape,
    Latency,
    Theme,
    About,
    NewLayout,
    Import,
    Export,
    // the program's own window icon
    Application
};

// An icon drawn on demand at the size and pixel ratio asked for, once per
// size, colour and mode. What the file paints in "currentColor" takes the
// application palette's WindowText colour at paint time, so a change to the
// night palette shows on the next repaint; accent colours stay fixed and read
// on light and dark windows alike. Disabled mode is greyed out.
QIcon nivoraIcon(IconId id);
// The icon's file in the resource (":/icons/zoom-in.svg").
QString iconFile(IconId id);

// Every id in declaration order.
const std::vector<IconId>& allIconIds();

// A short English name ("Zoom In").
QString iconName(IconId id);

}  // namespace nivora
