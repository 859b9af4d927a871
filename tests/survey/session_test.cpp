// The survey session in virtual time: start and stop, the tick, tracks,
// events, rows and the snapshot.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "files/layout_files.h"
#include "sensors/nmea.h"
#include "sim/sentences.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {

std::string gga(double lat, double lon, int quality, double alt, double sep) {
    sim::GnssEpoch e;
    e.utc = QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    e.latitude = lat;
    e.longitude = lon;
    e.quality = quality;
    e.altitudeMsl = alt;
    e.geoidSeparation = sep;
    e.headingTrue = 45;
    return sim::gnssSentences(e)[0];
}

namespace {

constexpr double kLat = 41.005, kLon = 29.01;

class SessionTest : public ::testing::Test, public SessionFixture {};

QStringList containing(const QStringList& texts, const char* part) {
    return texts.filter(QString::fromLatin1(part));
}

TEST_F(SessionTest, StartOpensThePortsAndLogsTheSession) {
    survey->RealtimeClick();
    EXPECT_TRUE(survey->running());
    EXPECT_TRUE(survey->gnss().isOpen());
    EXPECT_TRUE(survey->sounder().isOpen());
    EXPECT_TRUE(survey->cycle().active());
    EXPECT_EQ(survey->cycle().interval(), 1000) << "the navigation settings' update period";
    EXPECT_TRUE(survey->gnss().LogEnabled);
    EXPECT_EQ(survey->gnss().LogFileName, folders.rawLogPath(RawLogKind::Gnss, QDate(2026, 12, 8)));
    EXPECT_TRUE(view.messages.contains(QStringLiteral("ZSENSOR Open called on port: COM2")));
    const QByteArray events = eventsLog();
    EXPECT_TRUE(events.contains("\tConnected to GPS on COM1")) << events.constData();
    EXPECT_TRUE(events.endsWith("\tRealtime STARTED"));
    EXPECT_TRUE(QFileInfo::exists(folders.geodesyLogPath(QDate(2026, 12, 8))));

    survey->RealtimeClick();
    EXPECT_FALSE(survey->running());
    EXPECT_FALSE(survey->gnss().isOpen());
    EXPECT_FALSE(survey->cycle().active());
    EXPECT_TRUE(eventsLog().endsWith("\tRealtime STOPPED"));
}

TEST_F(SessionTest, TheTickPlacesTheVesselWhereTheGeodesyPutsIt) {
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    gnss(withNmeaChecksum("$GPHDT,45.00,T"));
    vt.advance(1000);
    const auto [e, n] = grid(kLat, kLon, 46.1);
    const VesselPlace& s = chart->vessel();
    EXPECT_NEAR(s.grid.easting, e, 1e-6);
    EXPECT_NEAR(s.grid.northing, n, 1e-6);
    EXPECT_NEAR(s.gridHeadingDeg, 45 + s.grid.convergenceDeg, 1e-12);
    EXPECT_NE(s.grid.convergenceDeg, 0) << "a meridian away from the centre one";
    EXPECT_EQ(shapesOn(chart->layers().vessel), 5 + 2) << "five arrow lines and two circles";
    EXPECT_NEAR((doc.View.WorldLeft + doc.View.WorldRight) / 2, e, 1e-6)
        << "the view follows the vessel";
    EXPECT_NEAR((doc.View.WorldTop + doc.View.WorldBottom) / 2, n, 1e-6);
    EXPECT_EQ(view.panels[2], QStringLiteral("E: ") + QString::number(e, 'f', 2));
    EXPECT_TRUE(doc.Overlay.PositionStatusText.startsWith(
        QStringLiteral("RTK Fix | Spd: 0.0 kn | SV: 18 | Ant: 46.10 m | Tide: 44.60 m")))
        << doc.Overlay.PositionStatusText.toStdString();
}

TEST_F(SessionTest, VesselWithoutCirclesAndAWiderArrow) {
    models.vesselShape.circles = QStringLiteral("0");
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    EXPECT_EQ(shapesOn(chart->layers().vessel), 5) << "a count of 0 draws no circle";
    EXPECT_EQ(doc.GetLayerPenFg(chart->layers().vessel), colors::Navy);
    EXPECT_EQ(doc.GetLayerPenWidth(chart->layers().vessel), 2);
}

TEST_F(SessionTest, NoPositionMovesNothing) {
    survey->RealtimeClick();
    const double left = doc.View.WorldLeft;
    vt.advance(4000);
    EXPECT_EQ(chart->vessel().grid.easting, 0);
    EXPECT_EQ(shapesOn(chart->layers().vessel), 0);
    EXPECT_EQ(doc.ShapeCount(), 0) << "no track marks at the image of 0, 0";
    EXPECT_EQ(doc.View.WorldLeft, left);
    EXPECT_EQ(view.panels[0], QStringLiteral("Lat: 0.00000000")) << "the read-outs still run";
    EXPECT_TRUE(survey->placer().taken());

    // An idle line zeroes the position: the vessel stays where it was last seen.
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    const double e = chart->vessel().grid.easting;
    ASSERT_NE(e, 0);
    vt.advance(15000);
    EXPECT_TRUE(eventsLog().contains("\tGPS is idle!"));
    EXPECT_EQ(survey->epoch().latitudeDeg, 0);
    EXPECT_FALSE(survey->cycle().active());
    survey->cycle().tick();
    EXPECT_EQ(chart->vessel().grid.easting, e);
}

// An idle line stopped the tick and nothing started it again: the chart and
// the read-outs froze while the logging went on.
TEST_F(SessionTest, AGnssGapStopsTheTickOnlyUntilTheNextEpoch) {
    survey->RealtimeClick();
    EXPECT_EQ(view.panels[6], QStringLiteral("No GPS data yet"));
    for (int i = 0; i < 3; ++i) {
        gnss(gga(kLat, kLon, 4));
        vt.advance(1000);
    }
    EXPECT_EQ(view.panels[6], QString());
    vt.advance(12000);
    ASSERT_FALSE(survey->cycle().active());
    EXPECT_EQ(doc.Overlay.PositionStatusText, QStringLiteral("No GPS data since 09:00:02"))
        << "a stale fix must look stale";
    EXPECT_EQ(doc.Overlay.PositionFixQuality, 0);
    EXPECT_EQ(view.panels[6], QStringLiteral("No GPS data since 09:00:02"));

    gnss(gga(kLat + 0.001, kLon, 4));
    vt.advance(1100);  // read at the next poll; the tick one period later
    EXPECT_TRUE(survey->cycle().active());
    EXPECT_NEAR(chart->vessel().grid.northing, grid(kLat + 0.001, kLon, 46.1).second, 1e-6);
    EXPECT_TRUE(doc.Overlay.PositionStatusText.startsWith(QStringLiteral("RTK Fix | ")));
    EXPECT_EQ(view.panels[6], QString());

    // A boat at anchor sends the same position after the gap: no change for
    // the reader, but the position is back all the same.
    vt.advance(12000);
    ASSERT_EQ(survey->epoch().latitudeDeg, 0);
    gnss(gga(kLat + 0.001, kLon, 4));
    vt.advance(1100);
    EXPECT_NEAR(survey->epoch().latitudeDeg, kLat + 0.001, 1e-12);
    EXPECT_TRUE(survey->cycle().active());
}

TEST_F(SessionTest, StopShowsThatRealTimeIsStoppedAndAnEventSaysItsPositionIsOld) {
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(1000);
    ASSERT_TRUE(doc.Overlay.PositionStatusText.startsWith(QStringLiteral("RTK Fix")));
    chart->markEvent();
    EXPECT_TRUE(containing(view.messages, "has no current position").isEmpty())
        << "a live event says nothing";

    survey->RealtimeClick();
    vt.advance(120000);
    EXPECT_EQ(doc.Overlay.PositionStatusText, QStringLiteral("Realtime stopped"));
    EXPECT_EQ(doc.Overlay.PositionFixQuality, 0);
    EXPECT_TRUE(doc.Overlay.DepthSpeedText().isEmpty()) << "no last depth as if it were live";
    EXPECT_EQ(view.panels[6], QStringLiteral("Realtime stopped"));
    EXPECT_EQ(chart->markEvent(), 2);
    EXPECT_EQ(view.messages.last(),
              QStringLiteral("Event 2 has no current position (real time is stopped): it is "
                             "marked at the last position, of 09:00:01"));
}

// A port that does not open used to be said for four seconds without naming
// the device; it stays on the status bar, with the reason, until it works.
TEST_F(SessionTest, APortThatDoesNotOpenIsShownUntilItWorks) {
    bool fail = true;
    survey->setTransportFactories(
        [&](const QString&) {
            auto t = std::make_unique<MemoryTransport>();
            t->failOpen = fail;
            gnssPort = t.get();
            return t;
        },
        MemoryTransport::factory(sounderPort));
    survey->RealtimeClick();
    EXPECT_TRUE(view.panels[6].startsWith(
        QStringLiteral("Cannot open GPS port COM1: The device does not exist; trying again")))
        << view.panels[6].toStdString();
    EXPECT_FALSE(containing(view.errors, "Cannot open GPS port COM1").isEmpty());
    vt.advance(30000);
    EXPECT_TRUE(view.panels[6].contains(QStringLiteral("Cannot open GPS port COM1")));
    fail = false;
    vt.advance(2000);
    ASSERT_TRUE(survey->gnss().isOpen());
    EXPECT_EQ(view.panels[6], QStringLiteral("No GPS data yet"));
}

// The position read-out wrote over the selection's prompt within a second.
TEST_F(SessionTest, ASelectionPromptHoldsItsPanelUntilTheSelectionEnds) {
    survey->RealtimeClick();
    chart->selection().selectTracks();
    for (int i = 0; i < 3; ++i) {
        gnss(gga(kLat, kLon, 4));
        vt.advance(1000);
    }
    EXPECT_EQ(view.panels[0],
              QStringLiteral("Draw polygon to select tracks (right-click to finish)"));
    chart->selection().cancelSelection();
    vt.advance(1000);
    EXPECT_TRUE(view.panels[0].startsWith(QStringLiteral("Lat: 41.00")))
        << view.panels[0].toStdString();
}

TEST_F(SessionTest, FollowOffKeepsTheView) {
    chart->setFollowVessel(false);
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    EXPECT_EQ(doc.View.WorldLeft, 0);
    EXPECT_EQ(doc.View.WorldRight, 1000);
}

TEST_F(SessionTest, ParametersAreTakenOnce) {
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    const double e = chart->vessel().grid.easting;
    models.device.geodetic.centralMeridian = "27";
    gnss(gga(kLat, kLon, 4, 11));
    vt.advance(1000);
    EXPECT_NEAR(chart->vessel().grid.easting, e, 1e-6) << "a changed meridian waits for a restart";
}

TEST_F(SessionTest, AParameterThatIsNotANumberEndsTheTickAndIsTriedAgain) {
    models.device.geodetic.scaleFactor = "0,9996";
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(3000);
    EXPECT_FALSE(survey->placer().taken());
    EXPECT_EQ(view.errors.size(), 1) << "said once, not every second";
    EXPECT_TRUE(view.errors[0].contains(QStringLiteral("Scale_Factor")))
        << view.errors[0].toStdString();
    models.device.geodetic.scaleFactor = "1";
    vt.advance(1000);
    EXPECT_TRUE(survey->placer().taken());
    EXPECT_NE(chart->vessel().grid.easting, 0);
}

TEST_F(SessionTest, TrackMarksFollowTheFixClass) {
    survey->RealtimeClick();
    const std::pair<int, int> sequence[] = {{4, 0}, {4, 1}, {5, 2}, {2, 3}, {1, 4}, {6, 5}, {3, 6}};
    for (const auto& [quality, i] : sequence) {
        gnss(gga(kLat + i * 1e-5, kLon, quality));
        vt.advance(1000);
    }
    const StandardLayers& l = chart->layers();
    // The first tick only remembers the position; the quality of a mark is the reader's at its
    // tick.
    EXPECT_EQ(shapesOn(l.trackFix), 1);
    EXPECT_EQ(shapesOn(l.trackFloat), 3) << "RTK float, DGPS and 3";
    EXPECT_EQ(shapesOn(l.trackNoFix), 2) << "autonomous and 6";
    EXPECT_EQ(doc.GetLayerPenFg(l.trackFix), colors::Green);
    EXPECT_EQ(doc.GetLayerPenWidth(l.trackFloat), 2);
}

TEST_F(SessionTest, CoordinateRowsCarryTheirOwnPosition) {
    models.quality.interpolate = false;  // each row takes the last fix
    survey->RealtimeClick();
    // A sounding before the first tick: the parameters were taken as real
    // time started, so the row is placed (never 0, 0 beside a real position).
    gnss(gga(kLat, kLon, 4));
    vt.advance(50);
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(950);
    gnss(gga(kLat + 2e-5, kLon, 4));
    vt.advance(100);
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(50);
    const QList<QByteArray> rows = coordinateLog().split('\n');
    ASSERT_EQ(rows.size(), 4) << coordinateLog().constData();
    const QList<QByteArray> first = rows[1].split(',');
    const auto [e0, n0] = grid(kLat, kLon, 46.1);
    EXPECT_EQ(first[3], QByteArray::number(e0, 'f', 2));
    EXPECT_EQ(first[4], QByteArray::number(n0, 'f', 2));
    const QList<QByteArray> second = rows[2].split(',');
    const auto [e, n] = grid(kLat + 2e-5, kLon, 46.1);
    EXPECT_EQ(second[3], QByteArray::number(e, 'f', 2)) << "the row's own fix, not the last tick's";
    EXPECT_EQ(second[4], QByteArray::number(n, 'f', 2));
    EXPECT_NE(second[4].toDouble(), chart->vessel().grid.northing);
    EXPECT_EQ(second[7], "10.37") << "10 m at 1480 m/s plus 0.5 m draft";
    EXPECT_EQ(second[11], "NMEA DBT");
    EXPECT_EQ(second[14], "4");
}

// Soundings before the first GNSS line: the offsets are taken from the
// fields rather than logging every depth as the draft.
TEST_F(SessionTest, SoundingsBeforeAnyGnssLineAreCorrected) {
    survey->RealtimeClick();
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(50);
    EXPECT_NEAR(survey->sounding()->trueHi, 10.0 * 1480 / 1500 + 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(survey->sounding()->soundVelocity, 1480);
}

// With the Offsets window open through the survey no line takes the
// offsets: the ones confirmed at the start hold, not a velocity of 0.
TEST_F(SessionTest, SoundingsWithTheOffsetsWindowOpenUseTheConfirmedOffsets) {
    survey->setWindowShown(SurveyWindow::Offsets, true);
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(50);
    EXPECT_NEAR(survey->sounding()->trueHi, 10.0 * 1480 / 1500 + 0.5, 1e-9);
    EXPECT_TRUE(view.errors.isEmpty()) << view.errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(SessionTest, ShallowWaterTurnsTheBackgroundRed) {
    survey->RealtimeClick();
    sounder(withNmeaChecksum("$SDDBT,1,f,0.30,M,0,F"));
    vt.advance(50);
    ASSERT_FALSE(view.backgrounds.empty());
    EXPECT_EQ(view.backgrounds.back(), colors::Red);
    sounder(withNmeaChecksum("$SDDBT,1,f,5.0,M,0,F"));
    vt.advance(50);
    EXPECT_EQ(view.backgrounds.back(), colors::White);
}

// A raw 0 is a lost bottom. Its corrected depth is the draft, which used to
// be shown, labelled, drawn in the echogram and compared with the alarm as a
// depth of 0.50 m.
TEST_F(SessionTest, ADepthNotMeasuredIsNoDepth) {
    QStringList high, low;
    std::vector<double> echogram;
    QObject::connect(&survey->indicators(), &SurveyIndicators::depthTextsChanged,
                     [&](const QString& h, const QString& l) {
                         high << h;
                         low << l;
                     });
    QObject::connect(&survey->cycle(), &RealtimeCycle::echogramDepthAdded,
                     [&](double d) { echogram.push_back(d); });
    survey->setWindowShown(SurveyWindow::Echogram, true);
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(1000);
    const std::size_t labels = doc.Overlay.DepthLabels.size();
    ASSERT_EQ(labels, 1u);
    const QByteArray rows = coordinateLog();

    sounder(withNmeaChecksum("$SDDBT,0.0,f,0.00,M,0.0,F"));
    gnss(gga(kLat + 0.001, kLon, 4));
    vt.advance(1000);
    EXPECT_EQ(high.back(), QStringLiteral("---"));
    EXPECT_EQ(low.back(), QStringLiteral("---"));
    EXPECT_FALSE(doc.Overlay.PositionStatusText.contains(QStringLiteral("Depth")))
        << doc.Overlay.PositionStatusText.toStdString();
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), labels) << "no label";
    EXPECT_EQ(doc.Overlay.CurrentDepthHF, 0) << "no depth in the depth box";
    ASSERT_GE(echogram.size(), 2u);
    EXPECT_NEAR(echogram.front(), 10.37, 0.01);
    EXPECT_EQ(echogram.back(), 0.0) << "a gap in the echogram (no depth above 0)";
    EXPECT_TRUE(view.backgrounds.empty() || view.backgrounds.back() != colors::Red)
        << "0.50 m is not below the alarm depth of 1 m: nothing was measured";
    EXPECT_EQ(coordinateLog(), rows) << "a raw 0 writes no row, as before";
    chart->markEvent();
    EXPECT_TRUE(eventsLog().contains(",True Depth:---,True Depth:---,"));
}

// A sounder that reads only the low frequency: its depth is the sounding,
// the high frequency is not shown as the draft.
TEST_F(SessionTest, ALowFrequencyOnlySounderShowsItsOwnDepth) {
    models.device.sbesMessage = QStringLiteral("Nivora XDR LO");
    models.device.sbesFormat = QStringLiteral("%*8s,%*lf,%*8s,%lf");
    QString high, low;
    QObject::connect(&survey->indicators(), &SurveyIndicators::depthTextsChanged,
                     [&](const QString& h, const QString& l) {
                         high = h;
                         low = l;
                     });
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    sounder("$NIVXDHI,0.00,$NIVXDLO,10.00");
    vt.advance(1000);
    const double depth = 10.0 * 1480 / 1500 + 0.5;
    EXPECT_EQ(high, QStringLiteral("---"));
    EXPECT_EQ(low, QString::number(depth, 'f', 2));
    EXPECT_TRUE(view.backgrounds.empty() || view.backgrounds.back() != colors::Red)
        << "the draft (0.50 m) is not the depth the alarm compares";
    ASSERT_EQ(doc.Overlay.DepthLabels.size(), 1u);
    EXPECT_NEAR(doc.Overlay.DepthLabels[0].depth, depth, 1e-9);
    EXPECT_TRUE(doc.Overlay.DepthSpeedText().startsWith(QStringLiteral("LF: ") + low))
        << doc.Overlay.DepthSpeedText().toStdString();
}

TEST_F(SessionTest, EventsCountOnAcrossRunsAndReset) {
    IniStore ini(iniPath);
    ini.writeInteger(QStringLiteral("EVENTS"), QStringLiteral("Event Number"), 41);
    ASSERT_TRUE(ini.save());
    models.session.load(IniStore(iniPath));  // as the next start reads it
    survey->RealtimeClick();
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(1000);
    EXPECT_EQ(chart->markEvent(), 42);
    EXPECT_EQ(
        IniStore(iniPath).readInteger(QStringLiteral("EVENTS"), QStringLiteral("Event Number"), 0),
        42);
    EXPECT_TRUE(eventsLog().endsWith(
        "\nEvent No:42,Date & Time:2026-12-08 090001000,Easting:0.00,Northing:0.00,"
        "True Depth:10.37,True Depth:---,Heading:0.00"))
        << eventsLog().constData();
    EXPECT_EQ(doc.Overlay.EventLabels.size(), 1u);

    prompts.yes = false;
    EXPECT_FALSE(chart->resetEventNumbering());
    EXPECT_EQ(
        IniStore(iniPath).readInteger(QStringLiteral("EVENTS"), QStringLiteral("Event Number"), 0),
        42);
    prompts.yes = true;
    EXPECT_TRUE(chart->resetEventNumbering());
    EXPECT_TRUE(eventsLog().endsWith("\tEvent number was reset."));
    EXPECT_EQ(chart->markEvent(), 1);
    EXPECT_EQ(chart->markEvent(), 2);
}

TEST_F(SessionTest, ClearingTracksAsksFirst) {
    survey->RealtimeClick();
    for (int i = 0; i < 4; ++i) {
        gnss(gga(kLat + i * 1e-5, kLon, 4));
        vt.advance(1000);
    }
    ASSERT_GT(shapesOn(chart->layers().trackFix), 0);
    prompts.yes = false;
    EXPECT_FALSE(chart->selection().clearTracks(TrackClass::Fixed));
    EXPECT_GT(shapesOn(chart->layers().trackFix), 0);
    prompts.yes = true;
    EXPECT_TRUE(chart->selection().clearTracks(TrackClass::Fixed));
    EXPECT_EQ(shapesOn(chart->layers().trackFix), 0);
    EXPECT_TRUE(eventsLog().endsWith("\tCleared RTK Fixed tracklines"));
    EXPECT_EQ(prompts.questions.last(),
              QStringLiteral("RTK Fixed tracking points to be cleared. Continue?"));
    // Each question names the class it clears ("Auto" once asked about the
    // fixed points and "Float" about autonomous ones).
    EXPECT_TRUE(chart->selection().clearTracks(TrackClass::Float));
    EXPECT_EQ(prompts.questions.last(),
              QStringLiteral("RTK Float/DGPS tracking points to be cleared. Continue?"));
    EXPECT_TRUE(eventsLog().endsWith("\tCleared RTK Float/DGPS tracklines"));
    EXPECT_TRUE(chart->selection().clearTracks(TrackClass::NoFix));
    EXPECT_EQ(prompts.questions.last(),
              QStringLiteral("Autonomous/No Fix tracking points to be cleared. Continue?"));
    EXPECT_TRUE(eventsLog().endsWith("\tCleared NoFix tracklines"));
}

TEST_F(SessionTest, PolygonSelectionTakesOnlyTrackMarks) {
    survey->RealtimeClick();
    for (int i = 0; i < 5; ++i) {
        gnss(gga(kLat + i * 1e-5, kLon, 4));
        vt.advance(1000);
    }
    const auto [e, n] = grid(kLat + 2e-5, kLon, 46.1);
    doc.DrawPoint(e, n, chart->layers().userShape);
    chart->selection().selectTracks();
    EXPECT_EQ(view.polygonTools, 1);
    chart->selection().drawBegan();
    EXPECT_FALSE(survey->cycle().active()) << "the vessel stands still while the operator draws";
    const int poly = doc.LayerFindByName(QStringLiteral("Nivora_SelectPoly"));
    EXPECT_EQ(doc.CurrentLayer, poly) << "the selection polygon goes on its own layer";
    doc.DrawPolyline({{e - 50, n - 500}, {e + 50, n - 500}, {e + 50, n + 500}, {e - 50, n + 500}},
                     poly, true);
    chart->selection().drawEnded(6);
    EXPECT_TRUE(survey->cycle().active());
    EXPECT_EQ(shapesOn(poly), 0);
    EXPECT_EQ(doc.SelectedShapeCount(), 4);
    EXPECT_EQ(view.panels[0], QStringLiteral("4 track(s) selected. Press Delete to remove."));
    chart->selection().deleteSelected();
    EXPECT_EQ(shapesOn(chart->layers().trackFix), 0);
    EXPECT_EQ(shapesOn(chart->layers().userShape), 1) << "user shapes are never selected this way";
}

TEST_F(SessionTest, SaveWritesTheSnapshotAndRemembersIt) {
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    const QString file = chart->files().saveSnapshot();
    EXPECT_EQ(file, folders.layoutsFolder() + QStringLiteral("2026-12-08 0900.nwl"));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(shapesOn(chart->layers().vessel), 0);
    EXPECT_EQ(
        IniStore(iniPath).readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved")),
        file);
    EXPECT_EQ(view.caption, QStringLiteral("Nivora Depthwright - ") + file);
    EXPECT_TRUE(eventsLog().endsWith((QStringLiteral("\tAuto-saved: ") + file).toUtf8()));
    CanvasDocument back;
    ASSERT_TRUE(CadLoad(back, file));
    EXPECT_GE(back.LayerFindByName(QStringLiteral("track_fix")), 0);

    // A second snapshot in the same minute (a second start did this and lost
    // the first one's work) takes a name of its own.
    const QByteArray first = readFile(file);
    vt.advance(20000);
    const QString second = chart->files().saveSnapshot();
    EXPECT_EQ(second, folders.layoutsFolder() + QStringLiteral("2026-12-08 0900_2.nwl"));
    EXPECT_EQ(readFile(file), first);
    EXPECT_EQ(chart->files().saveSnapshot(),
              folders.layoutsFolder() + QStringLiteral("2026-12-08 0900_3.nwl"));
}

// Save As of a name typed without an extension wrote a file its own dialog
// then hid; the dialogs opened in the working folder.
TEST_F(SessionTest, SaveAsAddsTheExtensionAndTheDialogsStartInTheSurveysFolders) {
    chart->files().saveSnapshot();  // the day's layouts folder exists
    prompts.saveFile = dir.filePath(QStringLiteral("charts/harbour"));
    QDir().mkpath(dir.filePath(QStringLiteral("charts")));
    ASSERT_TRUE(chart->files().saveLayoutAs());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("charts/harbour.nwl"))));
    ASSERT_EQ(prompts.folders.size(), 1);
    EXPECT_EQ(prompts.folders[0], folders.layoutsFolder());
    prompts.saveFile = dir.filePath(QStringLiteral("charts/harbour"));
    ASSERT_TRUE(chart->files().exportDxf());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("charts/harbour.dxf"))));
    // The next layout dialog starts where the last one ended.
    prompts.openFile.clear();
    chart->files().openLayout();
    EXPECT_EQ(QDir(prompts.folders.last()), QDir(dir.filePath(QStringLiteral("charts"))));
}

// ---- Geodetic parameters: only the projection in use, refusals said once ----

// A TM survey whose INI lacks the unused Lambert keys abandoned every fix.
TEST(SessionGeodesy, ATmSurveyWithoutLambertKeysPlacesTheVessel) {
    SessionFixture f(editedIni({{"eLCCSP1", nullptr},
                                {"eLCCSP2", nullptr},
                                {"eLCCSF", nullptr},
                                {"eLCCCP", nullptr},
                                {"eLCCM", nullptr},
                                {"eLCCFE", nullptr},
                                {"eLCCFN", nullptr}}));
    f.survey->RealtimeClick();
    f.gnss(gga(kLat, kLon, 4));
    f.vt.advance(1000);
    EXPECT_TRUE(f.survey->placer().taken());
    EXPECT_NEAR(f.chart->vessel().grid.easting, f.grid(kLat, kLon, 46.1).first, 1e-6);
    EXPECT_TRUE(f.errors().isEmpty()) << f.errors().join(QLatin1Char('\n')).toStdString();
}

// Rejected Lambert parameters and missing datum numbers abandoned every fix
// without a word; now the reason is said once, not every five seconds.
TEST(SessionGeodesy, EveryRefusalIsSaidOnceWithItsReason) {
    SessionFixture lambert(editedIni({{"Use Projection", "0"},
                                      {"cbUseLCCProjection", "1"},
                                      {"cLambert1", "1"},
                                      {"eLCCSF", "5"}}));
    lambert.survey->RealtimeClick();
    for (int i = 0; i < 30; ++i) {
        lambert.gnss(gga(kLat, kLon, 4));
        lambert.vt.advance(1000);
    }
    EXPECT_FALSE(lambert.survey->placer().taken());
    const QStringList rejected = containing(lambert.errors(), "eLCCSF");
    ASSERT_EQ(rejected.size(), 1) << lambert.errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rejected[0].contains(QStringLiteral("between 0.3 and 3")))
        << rejected[0].toStdString();

    SessionFixture datum(editedIni({{"X_Rotation", nullptr}}));
    datum.survey->RealtimeClick();
    for (int i = 0; i < 30; ++i) {
        datum.gnss(gga(kLat, kLon, 4));
        datum.vt.advance(1000);
    }
    EXPECT_EQ(datum.chart->vessel().grid.easting, 0);
    const QStringList incomplete = containing(datum.errors(), "X_Rotation");
    ASSERT_EQ(incomplete.size(), 1) << datum.errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(incomplete[0].contains(QStringLiteral("cannot be placed")))
        << incomplete[0].toStdString();
}

// ---- Navigation settings without their section ----

// The timer ran at 100 ms and the tracks were black.
TEST(SessionNavigation, WithoutTheSectionTheDesignedPeriodAndColoursApply) {
    SessionFixture f(editedIni({}, {"NAVIGATION_SETTINGS"}));
    EXPECT_EQ(f.survey->cycle().interval(), 500);
    f.survey->RealtimeClick();
    EXPECT_EQ(f.survey->cycle().interval(), 500);
    // A mark every 20 ticks (the missing interval): one per fix class.
    for (int i = 0; i < 70; ++i) {
        f.gnss(gga(kLat + i * 1e-5, kLon, i < 25 ? 4 : i < 45 ? 5 : 1));
        f.vt.advance(500);
    }
    const StandardLayers& l = f.chart->layers();
    EXPECT_EQ(f.doc.GetLayerPenFg(l.trackFix), colors::Green);
    EXPECT_EQ(f.doc.GetLayerPenFg(l.trackFloat), colors::Yellow);
    EXPECT_EQ(f.doc.GetLayerPenFg(l.trackNoFix), colors::Silver);
    EXPECT_EQ(f.doc.GetLayerPenFg(l.vessel), colors::Navy);
    EXPECT_EQ(f.shapesOn(l.trackFix), 1);
    EXPECT_EQ(f.shapesOn(l.trackFloat), 1);
    EXPECT_EQ(f.shapesOn(l.trackNoFix), 1);
}

// ---- The sounder's port messages ----

TEST_F(SessionTest, AFailedSounderOpenSaysSoAndADisconnectIsShown) {
    survey->setTransportFactories(MemoryTransport::factory(gnssPort), [](const QString&) {
        auto t = std::make_unique<MemoryTransport>();
        t->failOpen = true;
        return t;
    });
    survey->RealtimeClick();
    EXPECT_FALSE(survey->sounder().isOpen());
    EXPECT_TRUE(
        view.messages.contains(QStringLiteral("ZSENSOR Open failed: The device does not exist")))
        << view.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(containing(view.messages, "ZSENSOR Open called").isEmpty())
        << "the open did not succeed";
    EXPECT_FALSE(containing(view.errors, "Cannot open echosounder port COM2").isEmpty());
    survey->RealtimeClick();

    survey->setTransportFactories(MemoryTransport::factory(gnssPort),
                                  MemoryTransport::factory(sounderPort));
    survey->RealtimeClick();
    survey->RealtimeClick();
    EXPECT_TRUE(view.messages.contains(QStringLiteral("Disconnected from NMEA Sensor on COM2")));
    EXPECT_TRUE(eventsLog().contains("\tDisconnected from NMEA Sensor on COM2"));
}

// ---- The settings file while it cannot be read ----

// Event marks, the reset and Save wrote the INI directly, and a store that
// could not read it saved one section over the whole file.
TEST_F(SessionTest, AnUnreadableSettingsFileIsNotWrittenOver) {
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    // A file too large to be settings is one the store refuses to read.
    const QByteArray original = readFile(iniPath);
    const QByteArray unreadable = original + ";" + QByteArray(17 * 1024 * 1024, 'x') + "\n";
    writeFile(iniPath, unreadable);
    EXPECT_EQ(chart->markEvent(), 1);
    EXPECT_TRUE(chart->resetEventNumbering());
    EXPECT_FALSE(chart->files().saveSnapshot().isEmpty()) << "the snapshot itself is still saved";
    EXPECT_TRUE(readFile(iniPath) == unreadable) << "nothing was saved over the file";
    EXPECT_FALSE(containing(view.errors, "too large").isEmpty())
        << view.errors.join(QLatin1Char('\n')).toStdString();

    writeFile(iniPath, original);  // readable again
    EXPECT_EQ(chart->markEvent(), 1);
    const IniStore ini(iniPath);
    IniStore before;
    before.loadText(original);
    EXPECT_EQ(ini.readInteger(QStringLiteral("EVENTS"), QStringLiteral("Event Number"), 0), 1);
    for (const char* section : {"GPS1 COMUNICATION SETTINGS", "SENSOR COMUNICATION SETTINGS",
                                "GYRO", "GEODETIC_PARAMETERS", "ECHOSOUNDER_OFFSETS",
                                "NAVIGATION_SETTINGS", "VESSEL_SHAPE", "SVP"}) {
        EXPECT_EQ(ini.keys(QString::fromLatin1(section)), before.keys(QString::fromLatin1(section)))
            << section;
    }
    EXPECT_EQ(ini.readString(QStringLiteral("GEODETIC_PARAMETERS"), QStringLiteral("Z_Shift")),
              QStringLiteral("129.879"));
}

TEST_F(SessionTest, AnOffsetFieldThatIsNotANumberIsReportedOnce) {
    models.offsets.offsetC = QStringLiteral("1.5m");
    survey->RealtimeClick();
    for (int i = 0; i < 20; ++i) {
        gnss(gga(kLat, kLon, 4, 10 + i));
        vt.advance(100);
    }
    EXPECT_EQ(view.errors.size(), 1);
    EXPECT_EQ(eventsLog().count("Offset C: '1.5m' is not a valid number"), 1);
    EXPECT_NE(survey->epoch().latitudeDeg, 0) << "positions still arrive";
}

}  // namespace
}  // namespace nivora::test
