#pragma once

// The keys the main window keeps for itself: the view of the chart and its
// overlays ("CANVAS"), the layout reopened at start ("FILE") and the event
// counter ("EVENTS").

#include <QString>

namespace nivora {

class IniStore;

struct CanvasKeys {
    double planWorldLeft = 0;
    double planWorldRight = 1000;
    double planWorldTop = 1000;
    double planWorldBottom = 0;
    bool gridAutoScale = true;
    int depthSpeedDisplayMode = 0;
    int ggaOverlayPosition = 0;

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
};

struct SessionKeys {
    CanvasKeys canvas;
    QString lastFileSaved;  // "FILE" "Last File Saved"
    int eventNumber = 0;    // "EVENTS" "Event Number"

    void load(const IniStore& ini);
    // The three parts are written by different commands.
    void saveCanvas(IniStore& ini) const { canvas.save(ini); }
    void saveLastFile(IniStore& ini) const;
    void saveEventNumber(IniStore& ini) const;
};

}  // namespace nivora
