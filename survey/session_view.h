#pragma once

// What the survey session shows and asks: the main window implements it for
// the screen; the command line and the tests use the defaults or a fake.
// Every function has a harmless default so a headless host overrides only
// what it needs.

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <vector>

#include "config/config_host.h"
#include "core/colors.h"

namespace nivora {

// The real-time data window's labels, set at the start of every tick.
struct TickReadouts {
    QString fixed;          // "Fixed": the fix quality
    QString antennaHeight;  // "LAntennaH", 2 decimals
    QString tideHeight;     // "LTideHt": "-" while the Offsets window is open
    QString satellites;     // "SatelliteLabel"
};

class SessionView {
public:
    virtual ~SessionView() = default;

    // Windows the session looks at.
    virtual bool offsetsWindowVisible() const { return false; }
    virtual bool monitorVisible() const { return false; }  // settings window shown, monitor running
    virtual bool echogramVisible() const { return false; }
    virtual bool latencyWindowVisible() const { return false; }
    virtual bool runlineWindowVisible() const { return false; }

    // A warning with Yes and No; anything but Yes is no.
    virtual bool confirm(const QString& question) {
        (void)question;
        return true;
    }

    // A line for the message window (the session writes the events log itself).
    virtual void message(const QString& text) { (void)text; }
    // An error report for the operator (already throttled and logged).
    virtual void error(const QString& text) { (void)text; }

    virtual void realtimeStarted(bool running) { (void)running; }
    virtual void realtimeButtonDown(bool down) { (void)down; }
    virtual void readouts(const TickReadouts& r) { (void)r; }
    virtual void speedLabel(const QString& knots) { (void)knots; }
    virtual void fixIndicator(TColor colour) { (void)colour; }
    virtual void gpsGroupColour(TColor colour) { (void)colour; }
    virtual void gnssMonitorColour(TColor colour) { (void)colour; }
    virtual void depthLabels(const QString& high, const QString& low) { (void)high, (void)low; }
    virtual void depthFramesColour(TColor colour) { (void)colour; }
    virtual void depthFramesVisible(bool visible) { (void)visible; }
    virtual void batteryVoltage(const QString& volts) { (void)volts; }
    virtual void canvasBackground(TColor colour) { (void)colour; }
    virtual void monitorLine(PortRole port, const QByteArray& line) { (void)port, (void)line; }
    // Status bar panels: 0 latitude or selection prompts, 1 longitude, 2 easting,
    // 3 northing, 4 and 5 the last clicked point.
    virtual void statusPanel(int index, const QString& text) { (void)index, (void)text; }
    virtual void showEchogram() {}
    virtual void echogramDepth(double depth) { (void)depth; }
    virtual void latencyMeasured(qint64 ms) { (void)ms; }
    virtual void captionChanged(const QString& caption) { (void)caption; }
    virtual void repaintCanvas() {}

    // Canvas tools (they live in the canvas widget): polygon drawing for a
    // selection, and the end of a drawing.
    virtual void startPolygonTool() {}
    virtual void finishDrawingTool() {}
    virtual void deleteShortcutOnTrackItem(bool on) { (void)on; }
    // A line or polyline drawn while the run line window is open becomes its route.
    virtual void routeDrawn(const std::vector<QPointF>& points) { (void)points; }
};

}  // namespace nivora
