#pragma once

// The built-in sensor simulator: a vessel running survey lines over a
// synthetic seabed, with a GNSS receiver (GGA, RMC, VTG, HDT) and an
// echosounder of any family. It produces the bytes each device would send,
// in time order, and keeps the truth beside them.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <random>
#include <vector>

#include "sim/fix_script.h"
#include "sim/seabed.h"
#include "sim/survey_plan.h"

namespace nivora {
struct EchosounderFamily;
}

namespace nivora::sim {

// Between the grid of the survey and WGS-84, as the program's own geodesy
// computes it, so that the program turns the simulated positions back into
// the grid positions the simulator meant.
class GridModel {
  public:
    virtual ~GridModel() = default;
    struct Geographic {
        double latitude;
        double longitude;
    };
    // The WGS-84 position whose grid image is (easting, northing).
    virtual std::optional<Geographic> toWgs84(double easting, double northing, double height) = 0;
    // Grid convergence there, degrees (grid heading = true heading + convergence).
    virtual double convergence(double latitude, double longitude, double height) = 0;
};

struct SimulatorSettings {
    QDateTime start;  // local time of the first epoch
    SurveyArea area;
    double lineSpacing = 25;  // metres
    double speed = 2.0;       // metres per second
    double gnssRateHz = 1;
    double sounderRateHz = 10;
    QString family = QStringLiteral("NMEA DBT");
    double soundVelocity = 1480;  // of the water; the sounder assumes 1500
    double draft = 0.5;           // transducer below the water line
    double antennaAboveWater = 2.0;
    double geoidSeparation = 36.1;
    double tideAmplitude = 0.4;  // metres, semi-diurnal
    QString fixScript = QString::fromLatin1(FixScript::kDefault);
    bool noise = false;          // depth and position noise from `seed`
    double badChecksumRate = 0;  // share of sentences with a corrupted character
    double garbageRate = 0;      // share of lines followed by a line of noise
    unsigned long long seed = 1;
    // Lines to run in order instead of the lawnmower over the area, and the
    // helmsman's wander about them.
    std::vector<PlanLine> lines;
    Wander wander;
};

// What the vessel really did at one sounding.
struct TruthRow {
    QDateTime time;
    double easting = 0;
    double northing = 0;
    double latitude = 0;
    double longitude = 0;
    double trueDepth = 0;  // below the water line at the vessel
    double rawHigh = 0;    // as sent
    double rawLow = 0;
    int line = -1;          // the planned line being run, -1 between lines
    double crossTrack = 0;  // off it, metres, + starboard
};

class Simulator {
  public:
    // Nothing when the family name or the fix script is not valid.
    static std::optional<Simulator> create(const SimulatorSettings& settings, GridModel& grid,
                                           QString* error = nullptr);

    // Produces everything the devices send up to `elapsedMs` after the start.
    void runUntil(qint64 elapsedMs);
    qint64 elapsedMs() const { return nowMs_; }

    // Bytes sent since the last take, with the time each line was sent.
    struct Line {
        qint64 elapsedMs;
        QByteArray bytes;  // with CR LF
    };
    std::vector<Line> takeGnss();
    std::vector<Line> takeSounder();
    std::vector<TruthRow> takeTruth();

    const Seabed& seabed() const { return seabed_; }
    const SurveyPlan& plan() const { return plan_; }
    const SimulatorSettings& settings() const { return settings_; }
    int gnssEpochs() const { return gnssCount_; }
    int soundings() const { return sounderCount_; }

    // Sound velocity column of the water (m/s at 0 m, 1 m, ...), for a profile.
    double tideAt(double seconds) const;

  private:
    Simulator(const SimulatorSettings& s, GridModel& grid, const EchosounderFamily& family,
              FixScript script);
    void emitGnssEpoch(qint64 ms);
    void emitSounding(qint64 ms);
    void push(std::vector<Line>& out, qint64 ms, std::string line);

    SimulatorSettings settings_;
    GridModel* grid_;
    const EchosounderFamily* family_;
    FixScript script_;
    Seabed seabed_;
    SurveyPlan plan_;
    std::mt19937_64 rng_;
    qint64 nowMs_ = 0;
    qint64 nextGnssMs_ = 0;
    qint64 nextSounderMs_ = 0;
    int gnssCount_ = 0;
    int sounderCount_ = 0;
    std::vector<Line> gnss_;
    std::vector<Line> sounder_;
    std::vector<TruthRow> truth_;
};

}  // namespace nivora::sim
