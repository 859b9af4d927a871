// The main window's commands for what the survey hands on: the depth
// colours and grid settings, the NMEA output and the NTRIP corrections
// (Tools), the export of soundings (File), and the chart's night colours
// following the palette.

#include <QEvent>
#include <QMenu>
#include <QMenuBar>

#include "app/main_window.h"
#include "canvas/ui/nivora_canvas.h"
#include "config/ui/ntrip_window.h"
#include "config/ui/settings_window.h"
#include "sensors/ntrip_client.h"
#include "survey/depth_layer.h"

namespace nivora {

void TFNav::addProductCommands(QWidget* depthSettings, std::function<void()> exportSoundings) {
    addAction("aDepthDisplay", QStringLiteral("Depth Colours and Grid..."), IconId::Settings,
              [this, depthSettings] { showWindow(depthSettings); });
    addAction("aExportSoundings", QStringLiteral("Export Soundings..."), IconId::Save,
              std::move(exportSoundings));
    for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
        if (m->objectName() == QLatin1String("mTools")) {
            m->addAction(action(QStringLiteral("aDepthDisplay")));
        } else if (m->objectName() == QLatin1String("mFile")) {
            // Beside the drawing's export, before Exit.
            QAction* exit = action(QStringLiteral("aExit"));
            m->insertAction(exit, action(QStringLiteral("aExportSoundings")));
            m->insertSeparator(exit);
        }
    }
    followPalette();
}

void TFNav::addOutputCommands(QWidget* repeaterSettings) {
    addAction("aRepeater", QStringLiteral("NMEA Output..."), IconId::Settings,
              [this, repeaterSettings] { showWindow(repeaterSettings); });
    // The corrections' window is the survey's models' like the others; its
    // status and the settings monitor's follow the client.
    SurveyModels& models = survey_.models();
    auto* ntrip = new TNtripSettings(models.ntrip, models.file, this);
    addAction("aNtrip", QStringLiteral("NTRIP Corrections..."), IconId::Settings,
              [this, ntrip] { showWindow(ntrip); });
    QPointer<TFGPS> monitor = findChild<TFGPS*>();
    connect(&survey_.ntrip(), &NtripClient::statusChanged, ntrip,
            [ntrip, monitor](const NtripStatus& status) {
                ntrip->showClientStatus(status.text());
                if (monitor) monitor->setCorrectionStatus(status.text());
            });
    for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
        if (m->objectName() == QLatin1String("mTools")) {
            m->addAction(action(QStringLiteral("aRepeater")));
            m->addAction(action(QStringLiteral("aNtrip")));
        }
    }
}

void TFNav::followPalette() {
    const bool night = palette().color(QPalette::Window).lightness() < 128;
    if (canvas_) canvas_->SetNightChart(night);
    if (chart_) chart_->depths().setNight(night);
}

void TFNav::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        followPalette();
}

}  // namespace nivora
