#pragma once

// A real-time survey and its chart on memory ports in virtual time, with a
// view that remembers what they said.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <memory>

#include "canvas/canvas_document.h"
#include "core/clock.h"
#include "core/ini_store.h"
#include "survey/chart_files.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"
#include "survey/track_selection.h"
#include "tests/support/test_support.h"

namespace nivora::test {

// Istanbul on ED50, Transverse Mercator with a 3-degree zone at 30 E.
inline const char* kSurveyIni =
    "[GPS1 COMUNICATION SETTINGS]\nPort No=COM1\nBaud Rate=9600\nDelay=50\nNMEA LOG=True\nLog "
    "Time=True\n"
    "[SENSOR COMUNICATION SETTINGS]\nPort No=COM2\nBaud Rate=9600\nDelay=50\nNMEA LOG=True\nLog "
    "Time=True\n"
    "Sensor Enabled=1\ncSBESMessage=NMEA DBT\neSBESFormat=%*6s,%*lf,%*1s,%lf\n"
    "[GYRO]\nGyro Enabled=1\n"
    "[GEODETIC_PARAMETERS]\nSemiMajorAxis=6378388\nInverseFlattening=0.00336700336700337\n"
    "X_Rotation=-1.1553\nY_Rotation=-0.2566\nZ_Rotation=-0.8982\nX_Shift=84.003\nY_Shift=102.315\n"
    "Z_Shift=129.879\nScale_PPM=-1.2947\nCentral_Meridian=30\nReference_Latitude=0\nScale_Factor="
    "1\n"
    "False_Easting=500000\nFalse_Northing=0\nUse Projection=1\nUse DTP=1\nName of Datum=ED50\n"
    "eLCCSP1=40\neLCCSP2=42\neLCCSF=1\neLCCCP=41\neLCCM=29\neLCCFE=500000\neLCCFN=0\n"
    "cbUseLCCProjection=0\ncLambert1=0\n"
    "[ECHOSOUNDER_OFFSETS]\nOffset A=0.5\nOffset B=2.0\nOffset C=1.5\nSV=1480\nTide Height=0.25\n"
    "[NAVIGATION_SETTINGS]\nVesselColor=8388608\nVesselWidth=2\nBackgroundColor=16777215\n"
    "ColorTracklines1=32768\nColorTracklines0=65535\nTrackWidth=2\nTrackInterval=1\neUpdateRate="
    "1000\n"
    "cLineOrDot=0\nedDepthAlert=1\nGridColor=12632256\n"
    "[VESSEL_SHAPE]\nNumber of circles=2\nCirecle offset interval=10\nRadious of first circle=10\n"
    "Arrow length to bow=100\nLeft right offset of arrow=10\n"
    "[SVP]\ncUseSVP=0\n";

// The survey settings with some keys changed (a null value drops the key)
// and some sections left out.
inline QByteArray editedIni(const std::map<std::string, const char*>& keys,
                            const std::vector<std::string>& droppedSections = {}) {
    QByteArray out;
    bool dropping = false;
    for (const QByteArray& line : QByteArray(kSurveyIni).split('\n')) {
        if (line.isEmpty()) continue;
        if (line.startsWith('[')) {
            const std::string name = line.mid(1, line.size() - 2).toStdString();
            dropping = std::find(droppedSections.begin(), droppedSections.end(), name) !=
                       droppedSections.end();
        }
        if (dropping) continue;
        const auto it = keys.find(line.left(line.indexOf('=')).toStdString());
        if (it == keys.end()) {
            out += line + '\n';
        } else if (it->second) {
            out += QByteArray::fromStdString(it->first) + '=' + it->second + '\n';
        }
    }
    return out;
}

// Answers the chart's questions and remembers them.
class RecordingPrompts : public OperatorPrompts {
  public:
    bool yes = true;
    QStringList questions;
    QString openFile, saveFile;
    void showMessage(const QString&) override {}
    void showWarning(const QString&) override {}
    void showError(const QString&) override {}
    bool askOkCancel(const QString& q) override {
        questions << q;
        return yes;
    }
    bool askYesNo(const QString& q) override {
        questions << q;
        return yes;
    }
    QStringList folders;  // where each file dialog started
    QString chooseOpenFile(const QString&, const QString&, const QString& folder) override {
        folders << folder;
        return openFile;
    }
    QString chooseSaveFile(const QString&, const QString&, const QString& folder) override {
        folders << folder;
        return saveFile;
    }
};

// What the survey and the chart said through their signals.
class RecordingView {
  public:
    QStringList messages, errors;
    std::map<int, QString> panels;
    int polygonTools = 0;
    std::vector<QPointF> route;
    QString caption;
    std::vector<TColor> backgrounds;

    void attach(RealtimeSurvey& s, ChartSession& c) {
        QObject::connect(&s, &RealtimeSurvey::messagePosted,
                         [this](const QString& t) { messages << t; });
        QObject::connect(&s, &RealtimeSurvey::errorPosted,
                         [this](const QString& t) { errors << t; });
        QObject::connect(&c, &ChartSession::statusPanelChanged,
                         [this](int i, const QString& t) { panels[i] = t; });
        QObject::connect(&c.selection(), &TrackSelection::toolRequested,
                         [this](Tool t) { polygonTools += t == tool::Polygon; });
        QObject::connect(&c.selection(), &TrackSelection::routeDrawn,
                         [this](const std::vector<QPointF>& p) { route = p; });
        QObject::connect(&c.files(), &ChartFiles::captionChanged,
                         [this](const QString& t) { caption = t; });
        QObject::connect(&c, &ChartSession::backgroundChanged,
                         [this](TColor t) { backgrounds.push_back(t); });
    }
};

class SessionFixture {
  public:
    explicit SessionFixture(const QByteArray& ini = kSurveyIni)
        : vt(QDateTime(QDate(2026, 12, 8), QTime(9, 0))),
          iniPath(dir.filePath(QStringLiteral("NivoraDW.INI"))),
          folders(dir.filePath(QStringLiteral("NWL")), QDate(2026, 12, 8)) {
        // An empty text: the program's first start, without a settings file.
        if (!ini.isEmpty()) writeFile(iniPath, ini);
        models.load(SettingsFile(iniPath));
        survey = std::make_unique<RealtimeSurvey>(models, folders, vt, vt,
                                                  LogWriter::WhenFull::WaitForWriter);
        chart = std::make_unique<ChartSession>(*survey, doc, &prompts);
        chart->selection().setRunlineWindowShown(true);
        view.attach(*survey, *chart);
        survey->setTransportFactories(MemoryTransport::factory(gnssPort),
                                      MemoryTransport::factory(sounderPort));
    }

    void gnss(const std::string& sentence) {
        gnssPort->push(QByteArray::fromStdString(sentence + "\r\n"));
    }
    void sounder(const std::string& line) {
        sounderPort->push(QByteArray::fromStdString(line + "\r\n"));
    }
    // The projection the cycle uses, for expected values.
    std::pair<double, double> grid(double lat, double lon, double h = 0) {
        auto p = geodesy::FixProjector::take(models.device.geodeticParameters());
        const auto r = p->project(lat, lon, h);
        return {r.easting, r.northing};
    }
    const QStringList& errors() const { return view.errors; }
    // The logs as the writer thread has left them once it caught up.
    QByteArray eventsLog() {
        survey->flushLogs();
        return readFile(folders.eventsLogPath(QDate(2026, 12, 8)));
    }
    QByteArray coordinateLog() {
        survey->flushLogs();
        return readFile(folders.coordinateLogPath());
    }
    int shapesOn(int layer) {
        int n = 0;
        for (const TNShape& s : doc.Shapes())
            n += s.Layer() == layer;
        return n;
    }

    QTemporaryDir dir;
    VirtualTime vt;
    QString iniPath;
    DayFolders folders;
    SurveyModels models;
    CanvasDocument doc;
    RecordingPrompts prompts;
    RecordingView view;
    MemoryTransport* gnssPort = nullptr;
    MemoryTransport* sounderPort = nullptr;
    std::unique_ptr<RealtimeSurvey> survey;
    std::unique_ptr<ChartSession> chart;
};

// Turns the event loop until no file job of `c` runs (a minute at most);
// false when one still does.
inline bool waitForFileJob(ChartSession& c, int maxMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (c.files().jobRunning() && clock.elapsed() < maxMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !c.files().jobRunning();
}

// A GGA sentence at a position with a fix quality, 12:00:00 UTC.
std::string gga(double lat, double lon, int quality, double alt = 10, double sep = 36.1);

}  // namespace nivora::test
