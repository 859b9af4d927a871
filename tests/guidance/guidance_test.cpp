// Guidance along survey lines against hand-worked cases, the nearest-line
// index against a search of every segment, the running of a line, the
// autopilot sentences against a table worked out independently, and the
// lines' names and directions through a saved layout.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <random>

#include "canvas/canvas_document.h"
#include "files/drawing_files.h"
#include "files/runlines.h"
#include "guidance/autopilot_sentences.h"
#include "guidance/line_guidance.h"
#include "guidance/line_index.h"
#include "guidance/line_run.h"
#include "guidance/survey_line_layer.h"

namespace nivora {
namespace {

SurveyLine line(std::vector<QPointF> points) {
    SurveyLine l;
    l.name = QStringLiteral("L001");
    l.points = std::move(points);
    return l;
}

TEST(LineGuidance, HandWorkedCasesOnAStraightLine) {
    const SurveyLine north = line({{0, 0}, {0, 100}});
    // East of a line run north is its starboard side.
    LineGuidance g = guideAlong(north, 3, 40, 0.0, 2.0);
    EXPECT_DOUBLE_EQ(g.crossTrackM, 3);
    EXPECT_DOUBLE_EQ(g.alongM, 40);
    EXPECT_DOUBLE_EQ(g.toGoM, 60);
    EXPECT_DOUBLE_EQ(*g.timeToGoS, 30);
    EXPECT_DOUBLE_EQ(g.bearingDeg, 0);
    EXPECT_TRUE(g.withinGate);
    EXPECT_DOUBLE_EQ(guideAlong(north, -2, 50, 0.0, 2).crossTrackM, -2);
    EXPECT_DOUBLE_EQ(guideAlong(north, 0, 50, std::nullopt, 0).crossTrackM, 0);

    // Before the start: the distance to it and the line extended.
    g = guideAlong(north, 1, -10, 0.0, 2);
    EXPECT_TRUE(g.beforeStart);
    EXPECT_DOUBLE_EQ(g.alongM, -10);
    EXPECT_DOUBLE_EQ(g.toStartM, std::hypot(1, 10));
    EXPECT_DOUBLE_EQ(g.toGoM, 100);
    EXPECT_DOUBLE_EQ(*g.timeToGoS, 55);
    // Past the end.
    g = guideAlong(north, -0.5, 112, 0.0, 2);
    EXPECT_TRUE(g.pastEnd);
    EXPECT_DOUBLE_EQ(g.toGoM, 0);
    EXPECT_DOUBLE_EQ(g.crossTrackM, -0.5);

    // Swapped, the same point is to port and 60 m along.
    SurveyLine south = north;
    south.swap();
    g = guideAlong(south, 3, 40, 180.0, 2);
    EXPECT_DOUBLE_EQ(g.crossTrackM, -3);
    EXPECT_DOUBLE_EQ(g.alongM, 60);
    EXPECT_DOUBLE_EQ(g.bearingDeg, 180);

    // A diagonal line: north-east, a point due east of its middle.
    const SurveyLine ne = line({{0, 0}, {100, 100}});
    g = guideAlong(ne, 60, 50, 45.0, 1);
    EXPECT_NEAR(g.crossTrackM, 10 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(g.alongM, 110 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(g.bearingDeg, 45, 1e-12);
}

TEST(LineGuidance, TheCourseGateAndTheCourseError) {
    const SurveyLine north = line({{0, 0}, {0, 100}});
    EXPECT_NEAR(*guideAlong(north, 0, 10, 350.0, 2).courseErrorDeg, -10, 1e-12);
    EXPECT_TRUE(guideAlong(north, 0, 10, 45.0, 2).withinGate);
    EXPECT_FALSE(guideAlong(north, 0, 10, 45.5, 2).withinGate);
    EXPECT_FALSE(guideAlong(north, 0, 10, 180.0, 2).withinGate) << "running it the wrong way";
    // Stopped, or heading across: no time to go.
    EXPECT_FALSE(guideAlong(north, 0, 10, 90.0, 2).timeToGoS);
    EXPECT_FALSE(guideAlong(north, 0, 10, 0.0, 0).timeToGoS);
}

TEST(LineGuidance, APolylineGuidesAlongItsNearestSegment) {
    // East 100 m, then north 100 m.
    const SurveyLine corner = line({{0, 0}, {100, 0}, {100, 100}});
    LineGuidance g = guideAlong(corner, 50, 5, 90.0, 1);
    EXPECT_EQ(g.segment, 0);
    EXPECT_DOUBLE_EQ(g.crossTrackM, -5) << "north of a line run east is port";
    EXPECT_DOUBLE_EQ(g.alongM, 50);
    g = guideAlong(corner, 105, 50, 0.0, 1);
    EXPECT_EQ(g.segment, 1);
    EXPECT_DOUBLE_EQ(g.crossTrackM, 5);
    EXPECT_DOUBLE_EQ(g.alongM, 150);
    EXPECT_DOUBLE_EQ(g.toGoM, 50);
    EXPECT_DOUBLE_EQ(g.bearingDeg, 0);
    // Outside the corner both segments are as near: the boat steers on.
    g = guideAlong(corner, 110, -10, 45.0, 1);
    EXPECT_EQ(g.segment, 1);
    EXPECT_DOUBLE_EQ(g.crossTrackM, 10);
    EXPECT_DOUBLE_EQ(g.alongM, 100);
    EXPECT_FALSE(g.beforeStart);
    EXPECT_FALSE(g.pastEnd);
}

double bruteNearest(const std::vector<SurveyLine>& lines, double x, double y, int skip,
                    int* which) {
    double best = INFINITY;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (static_cast<int>(i) == skip) continue;
        const auto& p = lines[i].points;
        for (std::size_t k = 0; k + 1 < p.size(); ++k) {
            const double dx = p[k + 1].x() - p[k].x(), dy = p[k + 1].y() - p[k].y();
            double t = ((x - p[k].x()) * dx + (y - p[k].y()) * dy) / (dx * dx + dy * dy);
            t = std::clamp(t, 0.0, 1.0);
            const double d = std::hypot(x - p[k].x() - t * dx, y - p[k].y() - t * dy);
            if (d < best) {
                best = d;
                *which = static_cast<int>(i);
            }
        }
    }
    return best;
}

TEST(LineIndex, FindsWhatASearchOfEverySegmentFinds) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 5000), len(5, 800), angle(0, 2 * M_PI);
    std::vector<SurveyLine> lines;
    for (int i = 0; i < 1500; ++i) {
        const double x = u(rng), y = u(rng), l = len(rng), a = angle(rng);
        std::vector<QPointF> p{{x, y}, {x + l * std::cos(a), y + l * std::sin(a)}};
        if (i % 5 == 0) p.push_back({p[1].x() + 50, p[1].y() - 300});  // some polylines
        lines.push_back(line(p));
    }
    const LineIndex index(lines);
    std::uniform_real_distribution<double> q(-2000, 7000);  // inside and well outside
    for (int i = 0; i < 400; ++i) {
        const double x = q(rng), y = q(rng);
        const int skip = i % 3 == 0 ? i : -1;
        int expected = -1;
        const double d = bruteNearest(lines, x, y, skip, &expected);
        const auto n = index.nearest(x, y, skip);
        ASSERT_TRUE(n);
        EXPECT_NEAR(n->distanceM, d, 1e-9) << x << " " << y;
    }
    EXPECT_FALSE(LineIndex(std::vector<SurveyLine>{}).nearest(0, 0));
}

TEST(LineRun, StartsOnTheLineEndsPastTheRunOutOrOffLineAndCounts) {
    const SurveyLine north = line({{0, 0}, {0, 100}});
    LineRunSettings s;  // run-in and run-out 10 m, limit 10 m for 10 s
    LineRun run;
    run.setLine(north.name, 0);
    qint64 ms = 0;
    auto at = [&](double x, double y, double course = 0) {
        ms += 1000;
        return run.update(guideAlong(north, x, y, course, 2), ms, {x, y}, s);
    };
    EXPECT_EQ(at(0, -15), LineRun::Change::None) << "before the run-in";
    EXPECT_EQ(at(12, -5), LineRun::Change::None) << "beyond the off-track limit";
    EXPECT_EQ(at(0, -5, 180), LineRun::Change::None) << "heading the wrong way";
    EXPECT_EQ(at(2, -5), LineRun::Change::Started);
    run.countSounding();
    run.countSounding();
    EXPECT_EQ(at(-4, 50), LineRun::Change::None);
    EXPECT_EQ(at(0, 105), LineRun::Change::None) << "within the run-out";
    EXPECT_EQ(at(0, 110), LineRun::Change::Ended);
    const auto r = run.takeEnded();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->reason, LineEndReason::PassedEnd);
    EXPECT_EQ(r->soundings, 2);
    EXPECT_EQ(r->epochs, 4);
    EXPECT_DOUBLE_EQ(r->maxAbsCrossTrackM, 4);
    EXPECT_DOUBLE_EQ(r->meanAbsCrossTrackM(), 1.5);
    EXPECT_EQ(r->startMs, 4000);
    EXPECT_EQ(r->endAt, QPointF(0, 110));
    run.countSounding();  // not running: not counted anywhere

    // Off the limit for its time: ended; a short excursion is not.
    EXPECT_EQ(at(0, 10), LineRun::Change::Started);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(at(11, 20 + i), LineRun::Change::None);
    EXPECT_EQ(at(0, 30), LineRun::Change::None);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(at(15, 40 + i), LineRun::Change::None);
    EXPECT_EQ(at(15, 50), LineRun::Change::Ended);
    EXPECT_EQ(run.takeEnded()->reason, LineEndReason::OffTrack);
}

// Sentences worked out with an independent script (checksums included).
TEST(AutopilotSentences, MatchAHandWorkedTableAndSteerAsTheBarShows) {
    AutopilotFix f;
    f.valid = true;
    f.mode = 'D';
    f.crossTrackM = -12.5;  // to port: steer right
    f.trackTrueDeg = 45;
    f.toDestTrueDeg = 44.2;
    f.rangeM = 500;
    f.closingKnots = 3.9;
    f.origin = QStringLiteral("L001S");
    f.destination = QStringLiteral("L001E");
    f.destinationLatitude = 40.9876543;
    f.destinationLongitude = 28.1234567;
    EXPECT_EQ(xteSentence(f), "$GPXTE,A,A,0.0067,R,N,D*19\r\n");
    EXPECT_EQ(apbSentence(f), "$GPAPB,A,A,0.0067,R,N,V,V,045.0,T,L001E,044.2,T,044.2,T,D*6C\r\n");
    EXPECT_EQ(rmbSentence(f),
              "$GPRMB,A,0.0067,R,L001S,L001E,4059.2592580,N,02807.4074020,E,0.270,044.2,3.9,V,"
              "D*5B\r\n");
    EXPECT_EQ(xteSentence(AutopilotFix{}), "$GPXTE,V,V,0.0000,R,N,N*12\r\n");
    // Starboard of the line: steer left; a name with a comma cannot break the fields.
    f.crossTrackM = 3;
    f.destination = QStringLiteral("L,0*1");
    EXPECT_EQ(steerTo(f.crossTrackM), 'L');
    EXPECT_NE(apbSentence(f).find(",L,N,V,V,045.0,T,L01,"), std::string::npos) << apbSentence(f);
    // More than the field holds: 9.99 NM.
    f.crossTrackM = -50000;
    EXPECT_NE(xteSentence(f).find(",9.9900,R,"), std::string::npos);
}

TEST(SurveyLineLayer, NamesAndDirectionsLiveInTheLayout) {
    CanvasDocument doc;
    const int layer = doc.LayerOpen(kRunlineLayerName);
    doc.DrawPolyline({{0, 0}, {0, 100}}, layer, false);
    doc.DrawLine(20, 0, 20, 100, layer);
    doc.DrawPolyline({{40, 0}, {40, 100}, {60, 150}}, layer, false);
    doc.DrawPolyline({{0, 0}, {10, 0}, {10, 10}}, layer, true);  // closed: no survey line
    const int other = doc.LayerOpen(QStringLiteral("Chart"));
    const std::int32_t imported = doc.DrawLine(100, 0, 200, 0, other);

    std::vector<SurveyLine> lines = readSurveyLines(doc);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name, QStringLiteral("L001"));
    EXPECT_EQ(lines[2].name, QStringLiteral("L003"));
    EXPECT_TRUE(nameSurveyLines(doc, lines));
    EXPECT_FALSE(nameSurveyLines(doc, readSurveyLines(doc))) << "named once";
    renameSurveyLine(doc, lines[1], QStringLiteral("Cross 1"));
    ASSERT_TRUE(swapSurveyLine(doc, lines[2]));
    EXPECT_TRUE(markAsSurveyLine(doc, imported));
    EXPECT_EQ(lineVertices(doc, imported).size(), 2u) << "the original stays";

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.nwl"));
    QString error;
    ASSERT_TRUE(saveDrawingFile(path, doc, &error)) << error.toStdString();
    CanvasDocument back;
    ASSERT_TRUE(loadDrawingFile(path, back, false, &error)) << error.toStdString();
    lines = readSurveyLines(back);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].name, QStringLiteral("L001"));
    EXPECT_EQ(lines[1].name, QStringLiteral("Cross 1"));
    EXPECT_EQ(lines[2].name, QStringLiteral("L003"));
    EXPECT_EQ(lines[2].start(), QPointF(60, 150)) << "swapped: the last vertex first";
    EXPECT_EQ(lines[3].name, QStringLiteral("L002")) << "the first free name";
    EXPECT_EQ(lines[3].points, (std::vector<QPointF>{{100, 0}, {200, 0}}));
}

}  // namespace
}  // namespace nivora
