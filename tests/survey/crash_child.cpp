// A survey that never ends, for the kill -9 test: the built-in simulator in
// virtual time, as fast as the machine goes, writing every log and saving
// the snapshot, a DXF export and the settings file again and again, as a
// day's work would, until it is killed.
//
//   crash_child DIR    (DIR holds NivoraDW.INI; the day's folders go to DIR/NWL)

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <cstdio>

#include "canvas/canvas_document.h"
#include "core/clock.h"
#include "files/layout_files.h"
#include "sim/configured_simulator.h"
#include "survey/chart_files.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"

int main(int argc, char** argv) {
    using namespace nivora;
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    QLocale::setDefault(QLocale::c());
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    SurveyModels models;
    models.load(SettingsFile(dir.filePath(QStringLiteral("NivoraDW.INI"))));
    const IniStore ini = models.file.read();
    const QDateTime start(QDate(2026, 6, 1), QTime(9, 0));
    VirtualTime vt(start);
    sim::SimulatorSettings base;
    base.start = start;
    base.sounderRateHz = 20;
    QString error;
    auto simulator = sim::ConfiguredSimulator::create(ini, models, vt, base, &error);
    if (!simulator) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    const DayFolders folders(dir.filePath(QStringLiteral("NWL")), start.date());
    CanvasDocument doc;
    RealtimeSurvey survey(models, folders, vt, vt, LogWriter::WhenFull::WaitForWriter);
    ChartSession chart(survey, doc);
    survey.setTransportFactories(simulator->feed().factory(sim::Device::Gnss),
                                 simulator->feed().factory(sim::Device::Sounder));
    // The last snapshot comes back, as at every start of the program.
    chart.firstShow();
    QString folderError;
    folders.create(&folderError);
    survey.RealtimeClick();
    std::printf("running\n");
    std::fflush(stdout);
    const QString exported = dir.filePath(QStringLiteral("export.dxf"));
    for (qint64 s = 1;; ++s) {
        vt.advanceTo(s * 1000);
        if (s % 5 == 0) {
            chart.files().saveSnapshot();
            DXFSave(doc, exported);
            chart.markEvent();
        }
    }
}
