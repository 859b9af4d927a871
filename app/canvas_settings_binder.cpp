#include "app/canvas_settings_binder.h"

#include "canvas/ui/nivora_canvas.h"
#include "config/device_settings.h"
#include "config/settings_changes.h"

namespace nivora {

CanvasSettingsBinder::CanvasSettingsBinder(const DeviceSettingsModel& settings,
                                           SettingsChanges& changes, TNivoraCanvas& canvas,
                                           QObject* parent)
    : QObject(parent), settings_(settings), canvas_(canvas) {
    connect(&changes, &SettingsChanges::displayChanged, this, &CanvasSettingsBinder::apply);
    // From the start, not only once the settings window has been opened.
    apply();
}

void CanvasSettingsBinder::apply() {
    CanvasDocument& doc = canvas_.Document();
    const DisplaySettings& d = settings_.display();
    doc.Grid.GridVisible = d.GridVisibleSetting;
    const GridSpacingPair spacing = settings_.canvasGridSpacing();
    doc.Grid.GridSpacingX = spacing.x;
    doc.Grid.GridSpacingY = spacing.y;
    doc.Grid.GridColor = d.GridColorSetting;
    doc.SetDepthLabelSettings(d.ShowDepthLabelsSetting, d.DepthLabelSpacingSetting,
                              d.DepthLabelFontName, d.DepthLabelFontSize, d.DepthLabelColor);
    doc.Overlay.EventLabelFontSize = d.EventLabelFontSize;
    doc.Overlay.EventLabelColor = d.EventLabelColor;
    doc.Dirty = true;
    canvas_.update();
}

}  // namespace nivora
