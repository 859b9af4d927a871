// Renders each settings window to a PNG, to look at them without a screen:
//   QT_QPA_PLATFORM=offscreen config_window_shots OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>

#include "config/settings_models.h"
#include "config/ui/crs_picker.h"
#include "config/ui/offsets_window.h"
#include "config/ui/settings_window.h"
#include "config/ui/small_windows.h"
#include "config/ui/svp_window.h"
#include "core/clock.h"
#include "tests/config/config_test_support.h"

using namespace nivora;

namespace {

void shoot(QWidget& w, const QString& folder, const QString& name) {
    w.show();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    w.grab().save(path);
    QTextStream(stdout) << path << ' ' << w.width() << 'x' << w.height() << " minimum "
                        << w.minimumSizeHint().width() << 'x' << w.minimumSizeHint().height()
                        << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    test::ScratchIni ini;
    ini.write(
        "[GPS1 COMUNICATION SETTINGS]\nPort No=COM3\nBaud Rate=9600\nData Width=8\nStop "
        "Bits=1\nParity=None\n"
        "Priority=Normal\nDelay=5\nNMEA LOG=True\nLog Time=False\nEnable DTR=True\nEnable "
        "RTS=True\n"
        "[GEODETIC_PARAMETERS]\nSemiMajorAxis=6378137\nInverseFlattening=0.00335281068118\nCentral_"
        "Meridian=27\n"
        "Scale_Factor=1\nFalse_Easting=500000\nFalse_Northing=0\nReference_Latitude=0\nName of "
        "Datum=ITRF96\n"
        "[ECHOSOUNDER_OFFSETS]\nOffset A=0.5\nOffset B=2.0\nOffset C=1.5\nSV=1500\nTide "
        "Height=0.12\n"
        "Surveyor=A. Kaya\nSurveyBoat=Deniz 3\nSurveyLocation=Izmir Bay\n");
    test::FakeHost host;
    test::FakePrompts prompts;
    SurveyModels models;
    models.load(ini.file());

    TFGPS gps(models.device, models.changes, host, prompts, ini.file());
    auto* tabs = gps.findChild<QTabWidget*>();
    const char* names[] = {"settings_gps", "settings_sensor", "settings_geodetic",
                           "settings_monitor", "settings_global"};
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        if (i == 3) {
            gps.appendMonitorLine(PortRole::Gnss,
                                  QStringLiteral("$GPGGA,093007.25,3825.1234,N,02708.5678,E,4,12"));
            gps.appendMonitorLine(PortRole::Sounder, QStringLiteral("$SDDBT,32.8,f,10.0,M,5.4,F"));
        }
        shoot(gps, folder, QString::fromLatin1(names[i]));
    }

    CrsPicker picker(models.device.geodeticParameters());
    picker.search(QStringLiteral("ED50 UTM"));
    picker.choose(picker.matches() > 5 ? 5 : 0);
    shoot(picker, folder, QStringLiteral("crs_picker"));

    SvpModel& svpModel = models.svp;
    TfSVP svp(svpModel, host, prompts, ini.file());
    svpModel.rawData = {QStringLiteral("2024-05-01T10:00:00.000 1500.0,0.2"),
                        QStringLiteral("2024-05-01T10:00:01.000 1520.0,1.0")};
    svpModel.maxDepth = QStringLiteral("5");
    svp.bRawToSVVClick();
    svp.bSVVtoAveragedSVClick();
    svp.bAveragedSVtoSVPClick();
    shoot(svp, folder, QStringLiteral("svp"));

    VirtualTime clock(QDateTime(QDate(2024, 5, 1), QTime(9, 30, 7, 250)));
    TOffsets off(models.offsets, &svpModel, host, prompts, ini.file(), clock);
    shoot(off, folder, QStringLiteral("offsets"));

    TNavset navset(models.navigation, models.changes, host, ini.file());
    shoot(navset, folder, QStringLiteral("navset"));

    TfLatency latency(models.latency, host, ini.file());
    latency.recordLatency(120);
    latency.recordLatency(180);
    shoot(latency, folder, QStringLiteral("latency"));

    TFShape shape(models.vesselShape, prompts, ini.file());
    shoot(shape, folder, QStringLiteral("shape"));
    return 0;
}
