// Real receiver and sounder captures (gpsd regression suite) against gpsd's
// own decoding of them, which ships beside each capture.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <array>

#include "core/clock.h"
#include "sensors/nmea.h"
#include "sensors/serial_gps.h"
#include "survey/sounder_handler.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

struct Position {
    double lat, lon;
};

// gpsd prints degrees with 9 decimals.
constexpr double kDegreeTolerance = 6e-9;

bool near(const Position& a, const Position& b) {
    return std::abs(a.lat - b.lat) <= kDegreeTolerance &&
           std::abs(a.lon - b.lon) <= kDegreeTolerance;
}

// Positions of other sentences, to recognise a gpsd report that does not come from a GGA.
std::optional<Position> otherPosition(const QByteArray& line) {
    const QList<QByteArray> f = line.left(line.indexOf('*')).split(',');
    const QByteArray type = line.mid(3, 3);
    int at = -1;
    if (type == "GLL") at = 1;
    if (type == "RMC") at = 3;
    if (type == "GNS") at = 2;
    if (at < 0 || f.size() < at + 4) return std::nullopt;
    Position p{};
    if (!nmeaCoordinate(f[at].toStdString(), f[at + 1].toStdString(), p.lat) ||
        !nmeaCoordinate(f[at + 2].toStdString(), f[at + 3].toStdString(), p.lon)) {
        return std::nullopt;
    }
    return p;
}

// gpsd's status for a GGA fix quality.
int gpsdStatus(int quality) {
    switch (quality) {
        case 2:
            return 2;
        case 4:
            return 3;
        case 5:
            return 4;
        default:
            return 1;
    }
}

struct CaptureStats {
    int ggaEpochs = 0, matched = 0, fromOtherSentences = 0, satellitesCompared = 0;
};

// Walks gpsd's check file: every sentence in order through our decoder, and
// for each GGA with a fix the reports gpsd printed before the next GGA.
CaptureStats compareWithGpsd(const QString& name) {
    const QList<QByteArray> lines =
        test::readFile(test::dataPath(QStringLiteral("nmea/") + name + QStringLiteral(".chk")))
            .split('\n');
    CaptureStats st;
    NavValues nav;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (!line.startsWith('$')) continue;
        if (nmeaChecksum(line.toStdString()) == Checksum::Invalid) continue;
        const DecodeResult r = decodeNmea(line.toStdString(), nav);
        if (r.type != SentenceType::GGA || !r.accepted || nav.fixQuality == 0) continue;
        ++st.ggaEpochs;
        const Position ours{nav.latitude, nav.longitude};
        std::vector<QJsonObject> reports;
        std::vector<Position> others;
        bool skySeen = false;
        for (qsizetype j = i + 1;
             j < lines.size() && !(lines[j].startsWith('$') && lines[j].mid(3, 3) == "GGA"); ++j) {
            if (lines[j].startsWith('{')) {
                const QJsonObject o = QJsonDocument::fromJson(lines[j]).object();
                if (o[QStringLiteral("class")] == QStringLiteral("TPV") &&
                    o.contains(QStringLiteral("lat")))
                    reports.push_back(o);
                if (o[QStringLiteral("class")] == QStringLiteral("SKY") &&
                    o.contains(QStringLiteral("uSat")) && !skySeen) {
                    skySeen = true;
                    ++st.satellitesCompared;
                    EXPECT_EQ(o[QStringLiteral("uSat")].toInt(), nav.satellites)
                        << name.toStdString() << ": " << line.constData();
                }
            } else if (const auto p = otherPosition(lines[j])) {
                others.push_back(*p);
            }
        }
        const auto matching =
            std::find_if(reports.begin(), reports.end(), [&](const QJsonObject& o) {
                return near(ours, {o[QStringLiteral("lat")].toDouble(),
                                   o[QStringLiteral("lon")].toDouble()});
            });
        if (matching != reports.end()) {
            ++st.matched;
            if (matching->contains(QStringLiteral("altMSL"))) {
                EXPECT_NEAR((*matching)[QStringLiteral("altMSL")].toDouble(), nav.altitude, 1e-4)
                    << line.constData();
            }
            EXPECT_EQ((*matching)[QStringLiteral("status")].toInt(1), gpsdStatus(nav.fixQuality))
                << line.constData();
            continue;
        }
        // No report carries our position: each report must then be the position of another
        // sentence.
        for (const QJsonObject& o : reports) {
            const Position theirs{o[QStringLiteral("lat")].toDouble(),
                                  o[QStringLiteral("lon")].toDouble()};
            const bool explained = std::any_of(others.begin(), others.end(),
                                               [&](const Position& p) { return near(p, theirs); });
            EXPECT_TRUE(explained)
                << name.toStdString() << ": gpsd reports " << theirs.lat << "," << theirs.lon
                << " for " << line.constData() << ", we decoded " << ours.lat << "," << ours.lon;
        }
        if (!reports.empty()) ++st.fromOtherSentences;
    }
    return st;
}

TEST(RealCaptures, GgaPositionsAgreeWithGpsd) {
    // Captures with the number of GGA epochs whose position gpsd reported as is.
    const std::pair<const char*, int> captures[] = {
        {"bundg_zeus_9.log", 90},
        {"hemi.log", 6},
        {"humminbird-M37.log", 7},
        {"isync.log", 11},
        {"nmea-fuzzy-cases.log", 14},
        {"nmea-rtk.log", 122},
        {"rst39.log", 39},
        {"skytraq-PX1172RH_DS.log", 9},
        {"ublox-f9p-hpnmea.log", 9},
    };
    for (const auto& [name, minimum] : captures) {
        SCOPED_TRACE(name);
        const CaptureStats st = compareWithGpsd(QLatin1String(name));
        EXPECT_GE(st.matched, minimum);
        EXPECT_GT(st.satellitesCompared, 0);
    }
}

// Every capture through a reader, as it would arrive on the port.
TEST(RealCaptures, ReaderDecodesEveryCaptureWithoutTrouble) {
    const QStringList files =
        QDir(test::dataPath(QStringLiteral("nmea"))).entryList({QStringLiteral("*.log")});
    ASSERT_GE(files.size(), 10);
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        VirtualTime vt(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
        TNivoraSerialGPS reader(vt, vt);
        MemoryTransport* port = nullptr;
        reader.setTransportFactory(MemoryTransport::factory(port));
        int lines = 0, moves = 0;
        QObject::connect(&reader, &TNivoraSerialGPS::OnNewCommand,
                         [&](TNivoraSerialGPS*, const QByteArray&) { ++lines; });
        QObject::connect(&reader, &TNivoraSerialGPS::OnPosition3DChange,
                         [&](TNivoraSerialGPS*, double lat, double lon, double) {
                             ++moves;
                             EXPECT_LE(std::abs(lat), 90.0);
                             EXPECT_LE(std::abs(lon), 180.0);
                         });
        reader.Open();
        port->push(test::readFile(test::dataPath(QStringLiteral("nmea/") + f)));
        vt.advance(60 * 60 * 1000);
        EXPECT_GT(lines, 0);
        EXPECT_EQ(reader.pendingText().size(), 0);
        if (f != QLatin1String("sounder.log")) {
            EXPECT_GT(moves, 0);
        }
    }
}

// A u-blox binary frame (sync, class, id, length, payload, checksum) with
// the bytes that used to cost sentences: NULs, a line feed and a "$".
QByteArray ubxFrame(int n) {
    QByteArray payload(92, '\0');  // NAV-PVT size
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>((i * 37 + n) % 256);
    payload[3] = '\0';
    payload[40] = '$';
    if (n % 2) payload[60] = '\n';
    QByteArray f("\xB5\x62\x01\x07", 4);
    f += static_cast<char>(payload.size());
    f += '\0';
    f += payload;
    unsigned char a = 0, b = 0;
    for (qsizetype i = 2; i < f.size(); ++i) {
        a = static_cast<unsigned char>(a + static_cast<unsigned char>(f[i]));
        b = static_cast<unsigned char>(b + a);
    }
    return f + static_cast<char>(a) + static_cast<char>(b);
}

struct ReaderRun {
    std::vector<std::array<double, 3>> positions;
    QByteArray rawLog;
    quint64 binarySkipped = 0;
};

ReaderRun readThroughThePort(const QByteArray& bytes, const QString& rawLog) {
    VirtualTime vt(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    TNivoraSerialGPS reader(vt, vt);
    MemoryTransport* port = nullptr;
    reader.setTransportFactory(MemoryTransport::factory(port));
    reader.LogEnabled = true;
    reader.LogFileName = rawLog;
    ReaderRun run;
    QObject::connect(&reader, &TNivoraSerialGPS::OnPosition3DChange,
                     [&](TNivoraSerialGPS*, double lat, double lon, double alt) {
                         run.positions.push_back({lat, lon, alt});
                     });
    reader.Open();
    port->push(bytes);
    vt.advance(60 * 1000);
    run.binarySkipped = reader.binaryBytesSkipped();
    reader.Close();
    reader.flushLog();
    run.rawLog = test::readFile(rawLog);
    return run;
}

// Receivers that send binary frames beside NMEA (u-blox UBX here): every
// sentence of the capture is still used and logged, with a frame before each,
// on its own line or in front of the sentence, with NULs and line feeds in it.
// Before, 2 of 198 such GGA positions were used and the rest never reached
// the raw log.
TEST(RealCaptures, BinaryFramesBetweenTheSentencesCostNothing) {
    QTemporaryDir dir;
    for (const char* name : {"bundg_zeus_9.log", "ublox-f9p-hpnmea.log", "nmea-rtk.log"}) {
        SCOPED_TRACE(name);
        const QByteArray clean =
            test::readFile(test::dataPath(QStringLiteral("nmea/") + QLatin1String(name)));
        QByteArray laden;
        quint64 frameBytes = 0;
        int n = 0;
        for (const QByteArray& line : clean.split('\n')) {
            if (line.startsWith('$')) {
                const QByteArray frame = ubxFrame(n++);
                laden += frame;
                frameBytes += static_cast<quint64>(frame.size() - frame.count('\n'));
            }
            laden += line + '\n';
        }
        const ReaderRun plain =
            readThroughThePort(clean, dir.filePath(QStringLiteral("plain.log")));
        const ReaderRun binary =
            readThroughThePort(laden, dir.filePath(QStringLiteral("binary.log")));
        ASSERT_GT(plain.positions.size(), 5u);
        EXPECT_EQ(binary.positions, plain.positions);
        EXPECT_EQ(test::difference(binary.rawLog.toStdString(), plain.rawLog.toStdString()), "");
        // Blanks and CRs at the edges of a frame's pieces are trimmed as any
        // line's are, not counted as binary.
        EXPECT_LE(binary.binarySkipped - plain.binarySkipped, frameBytes);
        EXPECT_GE(binary.binarySkipped - plain.binarySkipped, frameBytes - frameBytes / 500);
        QFile::remove(dir.filePath(QStringLiteral("plain.log")));
        QFile::remove(dir.filePath(QStringLiteral("binary.log")));
    }
}

TEST(RealCaptures, SounderDepthsFromDbt) {
    SounderLineHandler handler;
    SounderLineInputs in;
    in.offsets.soundVelocity = 1500;
    in.family = QStringLiteral("NMEA DBT");
    in.pattern = QLatin1String(findEchosounderFamily(in.family)->defaultPattern);
    in.alertDepthText = QStringLiteral("0");
    in.offsetAText = QStringLiteral("0");
    int scanned = 0;
    for (const QByteArray& line :
         test::readFile(test::dataPath(QStringLiteral("nmea/sounder.log"))).split('\n')) {
        const QByteArray l = line.trimmed();
        if (!l.contains("DBT") || l.startsWith('#')) continue;
        const auto r = handler.handle(l.toStdString(), in);
        if (!r.sounding) continue;
        ++scanned;
        // The metres field must agree with the feet field of the same sentence.
        const QList<QByteArray> f = l.split(',');
        EXPECT_NEAR(r.sounding->rawHi, f[1].toDouble() * 0.3048, 0.06) << l.constData();
    }
    EXPECT_GT(scanned, 50);
}

}  // namespace
}  // namespace nivora
