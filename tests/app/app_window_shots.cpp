// Renders every window of the program during two minutes of the demo
// survey to PNGs, for a look without a screen (not a test):
//   app_window_shots OUT_DIR [night]

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "app/joystick_window.h"
#include "app/main_window.h"
#include "app/message_window.h"
#include "app/program.h"
#include "app/theme.h"
#include "config/ui/offsets_window.h"
#include "tests/app/app_test_support.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window-shots");
    QTemporaryDir dir;
    // The demo's planned lines, L001 active, as run.sh starts it.
    const QString ini =
        nivora::test::demoIni(dir, "\n[FILE]\nLast File Saved=" NIVORA_SOURCE_DIR
                                   "/data/demo/planned_lines.nwl\n\n[GUIDANCE]\nActiveLine=L001\n");
    nivora::test::ProgramFixture f(ini);
    if (argc > 2) nivora::applyTheme(QLatin1String(nivora::kNightTheme));
    f.program->start();
    QApplication::processEvents();
    f.program->offsets().RealtimeClick();
    // Past 9:04, when the demo receiver drops to RTK float: the fix alarm is up.
    for (int s = 0; s < 250; ++s) {
        f.vt.advance(1000);
        QApplication::processEvents();
    }
    for (const char* name :
         {"aRealtimeWindow", "aDeviceSettings", "aNavigationSettings", "aVesselShape",
          "aSoundVelocity", "aLatency", "aTheme", "aWaterfall", "aGenerateRunline", "aLineList",
          "aHelmsman", "aGuidanceSettings", "aQualitySettings", "aVerticalSettings",
          "aDepthDisplay", "aExportSoundings", "aRepeater", "aNtrip", "aLayers"}) {
        f.nav().action(QLatin1String(name))->trigger();
    }
    f.program->offsets().show();
    f.program->messages().addMessage(QStringLiteral("Connected to GPS on SIM"));
    f.program->joystick().show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    for (const auto& l : f.nav().canvas().Layers()) {
        int n = 0;
        for (const nivora::TNShape& sh : f.nav().canvas().Shapes())
            n += sh.Layer() == l->Id();
        std::printf("layer %s: %d shapes, visible %d\n", l->Name().toLocal8Bit().constData(), n,
                    int(l->Visible));
    }
    const QStringList files = f.program->writeScreenshots(out);
    for (const QString& file : files)
        std::printf("%s\n", file.toLocal8Bit().constData());
    return files.isEmpty() ? 1 : 0;
}
