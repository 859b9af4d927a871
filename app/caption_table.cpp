#include "app/caption_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace nivora {

const std::vector<CaptionEntry>& captionTable() {
    static const std::vector<CaptionEntry> table = {
        // Main window: toolbars.
        {"TFNav", "Realtime", "Realtime"},
        {"TFNav", "btRunline", "Runline creation"},
        {"TFNav", "btSettings", "Settings"},
        {"TFNav", "btFixed", "Fixed"},
        {"TFNav", "btFloat", "Float"},
        {"TFNav", "btAuto", "Auto"},
        {"TFNav", "btSelectTrack", "Select Track"},
        {"TFNav", "btDeleteSelected", "Delete Slected"},
        {"TFNav", "btFollow", "Follow Vessel"},
        {"TFNav", "btNoFollow", "Unollow Vessel"},
        {"TFNav", "btOpen", "Open"},
        {"TFNav", "btSave", "Save"},
        {"TFNav", "btZoomIn", "Zoom In"},
        {"TFNav", "btZoomOut", "Zoom Out"},
        {"TFNav", "btZoomExtents", " "},
        {"TFNav", "btZoomWindow", " "},
        {"TFNav", "btZoomDynamic", " "},
        {"TFNav", "btPan", " "},
        {"TFNav", "btClearUserShapes", "Clear User Shapes"},
        {"TFNav", "btAddEvent", "Add Event"},
        {"TFNav", "btResetEvent", "Reset Event"},
        // Main window: menus.
        {"TFNav", "mFile", "File"},
        {"TFNav", "aNew", "New"},
        {"TFNav", "aOpen", "Open..."},
        {"TFNav", "aSave", "Save"},
        {"TFNav", "aSaveAs", "Save As..."},
        {"TFNav", "aImport", "Import..."},
        {"TFNav", "aExport", "Export..."},
        {"TFNav", "aExit", "Exit"},
        {"TFNav", "mZoom", "Zoom"},
        {"TFNav", "aZoomIn", "In"},
        {"TFNav", "aZoomOut", "Out"},
        {"TFNav", "aZoomExtents", "Extents"},
        {"TFNav", "aZoomWindow", "Window"},
        {"TFNav", "aZoomDynamic", "Dynamic"},
        {"TFNav", "mTools", "Tools"},
        {"TFNav", "aOffsets", "Offsets..."},
        {"TFNav", "aDeviceSettings", "Device Settings..."},
        {"TFNav", "aEchogram", "Echogram..."},
        {"TFNav", "aGenerateRunline", "Generate Runlines..."},
        {"TFNav", "aSoundVelocity", "Sound Velocity Profile..."},
        {"TFNav", "aNavigationSettings", "Navigation Settings..."},
        {"TFNav", "aVesselShape", "Vessel Shape..."},
        {"TFNav", "mNmea", "NMEA"},
        {"TFNav", "aOpenLogFolder", "Open LOG Folder"},
        {"TFNav", "aLatency", "Latency Management"},
        {"TFNav", "mLanguage", "Language"},
        {"TFNav", "aTheme", "Theme Selection..."},
        {"TFNav", "mEdit", "Edit"},
        {"TFNav", "aClearFixed", "Clear Tracks Fixed"},
        {"TFNav", "aClearUnfixed", "Clear Tracks Unfixed"},
        {"TFNav", "aDeleteTracksSelected", "Clear Tracks Selected"},
        {"TFNav", "aMarkEvent", "Event Marking"},
        {"TFNav", "aFollow", "Follow Vessel"},
        {"TFNav", "aNoFollow", "Unfollow Vessel"},
        {"TFNav", "aClearUserShapes", "Clear shapes user added"},
        {"TFNav", "mWindow", "Window"},
        {"TFNav", "aOffsetsEssential", "Offsets Essential..."},
        {"TFNav", "aWaterfall", "Acoustics Waterfall..."},
        {"TFNav", "aNavigationWindow", "Navigation Settings..."},
        {"TFNav", "aRealtimeWindow", "Realtime Window..."},
        {"TFNav", "mHelp", "Help"},
        {"TFNav", "aRemoteSupport", "Remote Support..."},
        {"TFNav", "aAbout", "About..."},
        // Device settings.
        {"TFGPS", nullptr, "Settings"},
        // Vessel shape.
        {"TFShape", nullptr, "Vessel Geometry"},
        {"TFShape", "bDefault", "Default"},
        {"TFShape", "bSaveHide", "Save && Hide"},
        // Real-time data.
        {"TfRealtime", nullptr, "Realtime Data"},
        {"TfRealtime", "GPSGroupBox", "GPS"},
        {"TfRealtime", "lbFix", "Fix"},
        {"TfRealtime", "lbSpeed", "Speed"},
        {"TfRealtime", "lbSatellites", "Satellite"},
        {"TfRealtime", "lbAntennaH", "Ant. Ht."},
        {"TfRealtime", "lbTideHt", "Tide Ht."},
        {"TfRealtime", "DepthFrameHi", "True Depth HF"},
        {"TfRealtime", "DepthFrameLo", "True Depth LF"},
        {"TfRealtime", "lDepthHi", "::::::::::"},
        {"TfRealtime", "lDepthLo", "::::::::::"},
        // Navigation settings.
        {"TNavset", nullptr, "Navigation Settings"},
        {"TNavset", "cLineOrDot", "Track As Line"},
        // Offsets.
        {"TOffsets", nullptr, "Offsets Essential for Post Processing / Recovery"},
        {"TOffsets", "Realtime", "Save && Go realtime"},
        {"TOffsets", "Cancel", "Cancel"},
        {"TOffsets", "bSVP", "Sound Velocity Profile"},
        // Sound velocity profile.
        {"TfSVP", nullptr, "Sound Velocity"},
        // Run lines.
        {"TfRunline1", nullptr, "Runline Generator"},
        {"TfRunline1", "gStep1", "Step 1: Draw Route"},
        {"TfRunline1", "bDrawRoute", "Draw Route"},
        {"TfRunline1", "gStep2", "Step 2: Spacing (meters)"},
        {"TfRunline1", "gStep3", "Step 3: Line Type"},
        {"TfRunline1", "bGenerate", "Generate"},
        {"TfRunline1", "bClear", "Clear"},
        {"TfRunline1", "bClose", "Close"},
        // Latency, theme, echogram, about.
        {"TfLatency", nullptr, "Latency"},
        {"TfTheme", nullptr, "Theme Selection"},
        {"TfTheme", "bSaveExit", "Save && Exit"},
        {"TfCanvas", nullptr, "Acoustic Waterfall"},
        {"AboutBox", nullptr, "About Nivora DW"},
    };
    return table;
}

QObject* captionTarget(QWidget& window, const CaptionEntry& e) {
    if (!e.control) return &window;
    return window.findChild<QObject*>(QLatin1String(e.control));
}

QString captionOf(const QObject& o) {
    if (auto* a = qobject_cast<const QAction*>(&o)) return a->text();
    if (auto* m = qobject_cast<const QMenu*>(&o)) return m->title();
    if (auto* g = qobject_cast<const QGroupBox*>(&o)) return g->title();
    if (auto* b = qobject_cast<const QAbstractButton*>(&o)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(&o)) return l->text();
    if (auto* w = qobject_cast<const QWidget*>(&o)) return w->windowTitle();
    return {};
}

namespace {

void setCaption(QObject& o, bool isWindow, const QString& text) {
    if (auto* a = qobject_cast<QAction*>(&o)) {
        a->setText(text);
    } else if (auto* m = qobject_cast<QMenu*>(&o)) {
        m->setTitle(text);
    } else if (isWindow) {
        static_cast<QWidget&>(o).setWindowTitle(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(&o)) {
        g->setTitle(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(&o)) {
        b->setText(text);
    } else if (auto* l = qobject_cast<QLabel*>(&o)) {
        l->setText(text);
    }
}

}  // namespace

int applyCaptionTable() {
    int applied = 0;
    const QWidgetList windows = QApplication::allWidgets();
    for (const CaptionEntry& e : captionTable()) {
        for (QWidget* w : windows) {
            if (!w->isWindow() || w->objectName() != QLatin1String(e.window)) continue;
            if (QObject* target = captionTarget(*w, e)) {
                setCaption(*target, !e.control, QString::fromUtf8(e.text));
                ++applied;
            }
        }
    }
    return applied;
}

}  // namespace nivora
