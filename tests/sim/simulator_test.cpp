#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cmath>
#include <numbers>

#include "core/clock.h"
#include "geodesy/fix_projection.h"
#include "sensors/nmea.h"
#include "sensors/serial_gps.h"
#include "sim/geodesy_grid.h"
#include "sim/sentences.h"
#include "sim/sim_ports.h"
#include "sim/simulator.h"
#include "survey/sounder_handler.h"

namespace nivora::sim {
namespace {

const SurveyArea kArea{500000, 4540000, 501000, 4541200};

// A flat grid for tests that are not about geodesy: a metre is 1e-5 degree.
class FlatGrid final : public GridModel {
  public:
    std::optional<Geographic> toWgs84(double e, double n, double) override {
        return Geographic{n * 1e-5, e * 1e-5};
    }
    double convergence(double, double, double) override { return 1.5; }
};

TEST(Seabed, SmoothAndWithinLimits) {
    const Seabed bed(kArea);
    double lo = 1e9, hi = -1e9, steepest = 0;
    for (double e = kArea.minEasting; e <= kArea.maxEasting; e += 10) {
        for (double n = kArea.minNorthing; n <= kArea.maxNorthing; n += 10) {
            const double d = bed.depth(e, n);
            lo = std::min(lo, d);
            hi = std::max(hi, d);
            steepest = std::max(steepest, bed.slope(e, n));
        }
    }
    EXPECT_GE(lo, Seabed::kShallowest);
    EXPECT_LE(hi, Seabed::kDeepest);
    EXPECT_GT(hi - lo, 15) << "a seabed worth surveying";
    EXPECT_LT(steepest, 0.5) << "no cliffs";
}

TEST(SurveyPlan, ContinuousInsideTheAreaAndHeadingWhereItGoes) {
    const SurveyPlan plan(kArea, 25, 2.0);
    EXPECT_EQ(plan.lineCount() % 2, 0);
    VesselPose prev = plan.at(0);
    for (double t = 0.1; t < plan.cycleLength() / plan.speed() * 1.2; t += 0.1) {
        const VesselPose p = plan.at(t);
        const double moved = std::hypot(p.easting - prev.easting, p.northing - prev.northing);
        ASSERT_NEAR(moved, 0.2, 0.01) << "at " << t;
        ASSERT_GE(p.easting, kArea.minEasting - 1e-6);
        ASSERT_LE(p.easting, kArea.maxEasting + 1e-6);
        ASSERT_GE(p.northing, kArea.minNorthing - 1e-6);
        ASSERT_LE(p.northing, kArea.maxNorthing + 1e-6);
        // The heading points along the motion.
        double course = std::atan2(p.easting - prev.easting, p.northing - prev.northing) * 180 /
                        std::numbers::pi;
        if (course < 0) course += 360;
        double diff = std::fmod(std::abs(course - p.heading) + 360, 360);
        diff = std::min(diff, 360 - diff);
        ASSERT_LT(diff, 3.0) << "at " << t;
        prev = p;
    }
}

TEST(FixScript, ParsesAndRepeats) {
    const auto s = FixScript::parse(QStringLiteral("4:10,5:5,0:2"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->qualityAt(0), 4);
    EXPECT_EQ(s->qualityAt(9.9), 4);
    EXPECT_EQ(s->qualityAt(10), 5);
    EXPECT_EQ(s->qualityAt(16), 0);
    EXPECT_EQ(s->qualityAt(17), 4);
    EXPECT_FALSE(FixScript::parse(QStringLiteral("4:x")));
    EXPECT_FALSE(FixScript::parse(QString()));
    EXPECT_FALSE(FixScript::parse(QStringLiteral("12:5")));
}

TEST(Sentences, GnssSentencesDecodeToWhatWasMeant) {
    GnssEpoch e;
    e.utc = QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30, 250), Qt::UTC);
    e.latitude = 41.0205761234;
    e.longitude = -29.5;
    e.altitudeMsl = 2.25;
    e.geoidSeparation = 36.1;
    e.quality = 5;
    e.courseTrue = 273.4;
    e.headingTrue = 273.4;
    e.speedKnots = 3.9;
    const auto lines = gnssSentences(e);
    ASSERT_EQ(lines.size(), 4u);
    NavValues nav;
    for (const auto& l : lines) {
        EXPECT_EQ(nmeaChecksum(l), Checksum::Valid) << l;
        decodeNmea(l, nav);
    }
    EXPECT_NEAR(nav.latitude, e.latitude, 2e-9) << "seven decimals of a minute";
    EXPECT_NEAR(nav.longitude, e.longitude, 2e-9);
    EXPECT_EQ(nav.fixQuality, 5);
    EXPECT_DOUBLE_EQ(nav.altitude, 2.25);
    EXPECT_NEAR(nav.speed, 3.9 * 1.852, 0.005) << "VTG carries km/h with two decimals";
    EXPECT_TRUE(lines[0].rfind("$GPGGA,101530.25,", 0) == 0) << lines[0];
    EXPECT_TRUE(lines[3].rfind("$GPHDT,273.40,T*", 0) == 0) << lines[3];

    char h;
    EXPECT_EQ(nmeaLatitude(41.99999999999, &h), "4200.0000000")
        << "rounding carries into the degrees";
    e.hasPosition = false;
    NavValues outage;
    decodeNmea(gnssSentences(e)[0], outage);
    EXPECT_EQ(outage.fixQuality, 0);
    EXPECT_EQ(outage.latitude, 0);
}

TEST(Sentences, EveryFamilyScansItsOwnLines) {
    for (const auto& family : echosounderFamilies()) {
        SCOPED_TRACE(family.name);
        SounderLineHandler handler;
        SounderLineInputs in;
        in.offsets.soundVelocity = 1500;
        in.family = QLatin1String(family.name);
        in.pattern = QLatin1String(std::string(family.name) == "OTHER" ? kOtherFamilyPattern
                                                                       : family.defaultPattern);
        in.alertDepthText = QStringLiteral("0");
        in.offsetAText = QStringLiteral("0");
        Sounding s;
        s.rawHigh = 12.34;
        s.rawLow = 12.59;
        s.sequence = 77;
        const std::string line = sounderLine(family, s);
        const auto r = handler.handle(line, in);
        ASSERT_TRUE(r.sounding) << line;
        const CorrectedSounding& state = *r.sounding;
        if (family.values == EchosounderFamily::Values::LowOnly) {
            EXPECT_DOUBLE_EQ(state.rawLo, 12.59);
        } else {
            EXPECT_DOUBLE_EQ(state.rawHi, 12.34) << line;
        }
        if (family.values == EchosounderFamily::Values::HighAndLow) {
            EXPECT_DOUBLE_EQ(state.rawLo, 12.59);
        }
    }
}

SimulatorSettings settings() {
    SimulatorSettings s;
    s.start = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
    s.area = kArea;
    s.gnssRateHz = 5;
    s.sounderRateHz = 10;
    return s;
}

TEST(Simulator, SameSeedSameBytes) {
    FlatGrid grid;
    SimulatorSettings s = settings();
    s.noise = true;
    s.badChecksumRate = 0.05;
    s.garbageRate = 0.05;
    auto a = Simulator::create(s, grid);
    auto b = Simulator::create(s, grid);
    ASSERT_TRUE(a && b);
    a->runUntil(60000);
    b->runUntil(60000);
    const auto la = a->takeGnss(), lb = b->takeGnss();
    ASSERT_EQ(la.size(), lb.size());
    for (std::size_t i = 0; i < la.size(); ++i)
        ASSERT_EQ(la[i].bytes, lb[i].bytes);
    EXPECT_EQ(a->gnssEpochs(), 301);
    EXPECT_EQ(a->soundings(), 601);
}

TEST(Simulator, CorruptionIsDetectableAndAtTheRateAsked) {
    FlatGrid grid;
    SimulatorSettings s = settings();
    s.badChecksumRate = 0.1;
    s.garbageRate = 0.1;
    auto sim = Simulator::create(s, grid);
    sim->runUntil(600000);
    int bad = 0, total = 0, garbage = 0;
    for (const auto& l : sim->takeGnss()) {
        const std::string line = l.bytes.trimmed().toStdString();
        if (line[0] != '$') {
            ++garbage;
            EXPECT_EQ(line.find('\n'), std::string::npos);
            continue;
        }
        ++total;
        bad += nmeaChecksum(line) == Checksum::Invalid;
    }
    EXPECT_NEAR(static_cast<double>(bad) / total, 0.1, 0.02);
    EXPECT_NEAR(static_cast<double>(garbage) / total, 0.1, 0.02);
}

TEST(Simulator, RawDepthsRecoverTheTruthWithTheRightOffsets) {
    FlatGrid grid;
    SimulatorSettings s = settings();
    s.family = QStringLiteral("NMEA DPT");
    auto sim = Simulator::create(s, grid);
    sim->runUntil(120000);
    const auto truth = sim->takeTruth();
    ASSERT_EQ(truth.size(), 1201u);
    for (const TruthRow& t : truth) {
        // The program's correction: raw x v / 1500 + draft.
        EXPECT_NEAR(t.rawHigh * s.soundVelocity / 1500 + s.draft, t.trueDepth, 0.005);
        EXPECT_DOUBLE_EQ(t.trueDepth, sim->seabed().depth(t.easting, t.northing));
    }
    EXPECT_FALSE(Simulator::create(
        [] {
            auto bad = settings();
            bad.family = QStringLiteral("Sonar");
            return bad;
        }(),
        grid));
}

TEST(SimulatorPorts, ReadersOnSimPortsInVirtualTime) {
    FlatGrid grid;
    VirtualTime vt(settings().start);
    auto sim = Simulator::create(settings(), grid);
    SimulatorFeed feed(std::move(*sim), vt);
    int truthRows = 0;
    feed.setTruthSink([&](const TruthRow&) { ++truthRows; });
    TNivoraSerialGPS gnss(vt, vt), sounder(vt, vt);
    gnss.DevicePath = sounder.DevicePath = QStringLiteral("SIM");
    gnss.setTransportFactory(feed.factory(Device::Gnss));
    sounder.setTransportFactory(feed.factory(Device::Sounder));
    QSignalSpy moves(&gnss, &TNivoraSerialGPS::OnPosition3DChange);
    QSignalSpy soundings(&sounder, &TNivoraSerialGPS::OnNewCommand);
    gnss.Open();
    sounder.Open();
    ASSERT_TRUE(gnss.isOpen() && sounder.isOpen());
    vt.advance(10000);
    EXPECT_GE(moves.size(), 45);
    EXPECT_GE(soundings.size(), 95);
    EXPECT_NEAR(gnss.Latitude(), feed.simulator().plan().at(10).northing * 1e-5, 2e-7);
    EXPECT_GE(truthRows, 100);
    gnss.Write("$JASC,GPGGA,5\r\n");
    EXPECT_EQ(feed.received(), QByteArray("$JASC,GPGGA,5\r\n"));
    // A day of corrections into the simulated receiver keeps only the last of them.
    const QByteArray block(1000, '\xD3');
    for (int i = 0; i < 200; ++i)
        gnss.WriteRaw(block.constData(), block.size());
    gnss.WriteRaw("END", 3);
    EXPECT_LE(feed.received().size(), SimulatorFeed::kMaxReceived);
    EXPECT_TRUE(feed.received().endsWith("END"));
}

TEST(GeodesyGrid, InverseMatchesTheCyclesForwardTransformation) {
    geodesy::GeodeticParameters p;
    p.semiMajorAxis = "6378388";
    p.flattening = "0.00336700336700337";
    p.rotationX = "-1.1";
    p.rotationY = "-0.3";
    p.rotationZ = "-0.9";
    p.shiftX = "84.1";
    p.shiftY = "102.4";
    p.shiftZ = "129.9";
    p.scalePpm = "-1.2";
    p.centralMeridian = "30";
    p.referenceLatitude = "0";
    p.scaleFactor = "1";
    p.falseEasting = "500000";
    p.falseNorthing = "0";
    p.lccStandardParallel1 = "40";  // the cycle converts the Lambert fields too
    p.lccStandardParallel2 = "42";
    p.lccScaleFactor = "1";
    p.lccCentralParallel = "41";
    p.lccCentralMeridian = "30";
    p.lccFalseEasting = "0";
    p.lccFalseNorthing = "0";
    auto projector = geodesy::FixProjector::take(p);
    ASSERT_TRUE(projector);
    GeodesyGridModel model(*projector, GridModel::Geographic{41, 30});
    for (double e : {499000.0, 500500.0, 512345.6}) {
        for (double n : {4540000.0, 4545678.9}) {
            const auto g = model.toWgs84(e, n, 40);
            ASSERT_TRUE(g);
            const auto back = model.toGrid(g->latitude, g->longitude, 40);
            ASSERT_TRUE(back);
            EXPECT_NEAR(back->first, e, 0.003);
            EXPECT_NEAR(back->second, n, 0.003);
        }
    }
}

}  // namespace
}  // namespace nivora::sim
