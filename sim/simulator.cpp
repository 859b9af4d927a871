#include "sim/simulator.h"

#include <cmath>
#include <numbers>

#include "sensors/echosounder.h"
#include "sim/sentences.h"

namespace nivora::sim {
namespace {

constexpr double kKnotsPerMps = 3600.0 / 1852.0;

qint64 periodMs(double hz) {
    return std::max<qint64>(1, std::llround(1000.0 / std::clamp(hz, 0.01, 1000.0)));
}

}  // namespace

std::optional<Simulator> Simulator::create(const SimulatorSettings& settings, GridModel& grid,
                                           QString* error) {
    const EchosounderFamily* family = findEchosounderFamily(settings.family);
    if (!family) {
        if (error) *error = QStringLiteral("unknown echosounder family '%1'").arg(settings.family);
        return std::nullopt;
    }
    auto script = FixScript::parse(settings.fixScript);
    if (!script) {
        if (error)
            *error = QStringLiteral("fix script '%1' is not a list of quality:seconds")
                         .arg(settings.fixScript);
        return std::nullopt;
    }
    return Simulator(settings, grid, *family, *script);
}

Simulator::Simulator(const SimulatorSettings& s, GridModel& grid, const EchosounderFamily& family,
                     FixScript script)
    : settings_(s),
      grid_(&grid),
      family_(&family),
      script_(std::move(script)),
      seabed_(s.area),
      plan_(s.lines.empty() ? SurveyPlan(s.area, s.lineSpacing, s.speed, s.wander)
                            : SurveyPlan(s.lines, s.speed, s.wander)),
      rng_(s.seed) {}

double Simulator::tideAt(double seconds) const {
    return settings_.tideAmplitude * std::sin(2 * std::numbers::pi * seconds / (12.42 * 3600));
}

void Simulator::runUntil(qint64 elapsedMs) {
    const qint64 gnssPeriod = periodMs(settings_.gnssRateHz);
    const qint64 sounderPeriod = periodMs(settings_.sounderRateHz);
    while (true) {
        const qint64 next = std::min(nextGnssMs_, nextSounderMs_);
        if (next > elapsedMs) break;
        if (nextGnssMs_ == next) {
            emitGnssEpoch(next);
            nextGnssMs_ += gnssPeriod;
        }
        if (nextSounderMs_ == next) {
            emitSounding(next);
            nextSounderMs_ += sounderPeriod;
        }
    }
    nowMs_ = std::max(nowMs_, elapsedMs);
}

void Simulator::push(std::vector<Line>& out, qint64 ms, std::string line) {
    std::uniform_real_distribution<double> unit(0, 1);
    const std::size_t star = line.find('*');
    if (settings_.badChecksumRate > 0 && star != std::string::npos && star > 2 &&
        unit(rng_) < settings_.badChecksumRate) {
        // One changed character inside the data, as serial noise does it;
        // only sentences with a checksum, where the reader can tell.
        const std::size_t at =
            1 + static_cast<std::size_t>(unit(rng_) * static_cast<double>(star - 1));
        line[at] = line[at] == '7' ? '1' : '7';
    }
    out.push_back({ms, QByteArray::fromStdString(line + "\r\n")});
    if (settings_.garbageRate > 0 && unit(rng_) < settings_.garbageRate) {
        QByteArray noise;
        const int n = 1 + static_cast<int>(unit(rng_) * 40);
        for (int i = 0; i < n; ++i) {
            char c = static_cast<char>(1 + static_cast<int>(unit(rng_) * 254));
            if (c == '\n' || c == '$' || c == ',' || c == '!') c = '#';
            noise += c;
        }
        out.push_back({ms, noise + "\r\n"});
    }
}

void Simulator::emitGnssEpoch(qint64 ms) {
    ++gnssCount_;
    const double t = static_cast<double>(ms) / 1000.0;
    const VesselPose pose = plan_.at(t);
    std::normal_distribution<double> gauss(0, 1);
    const int quality = script_.qualityAt(t);
    double e = pose.easting, n = pose.northing;
    if (settings_.noise) {
        // Position scatter of the fix class.
        const double sigma = quality == 4 ? 0.01 : quality == 5 ? 0.15 : quality == 2 ? 0.5 : 2.0;
        e += sigma * gauss(rng_);
        n += sigma * gauss(rng_);
    }
    const double ellipsoidHeight =
        settings_.geoidSeparation + tideAt(t) + settings_.antennaAboveWater;
    const auto geo = grid_->toWgs84(e, n, ellipsoidHeight);

    GnssEpoch epoch;
    epoch.utc = settings_.start.addMSecs(ms).toUTC();
    epoch.hasPosition = quality != 0 && geo.has_value();
    epoch.quality = quality;
    epoch.satellites = quality == 1 ? 9 : 18;
    epoch.hdop = quality == 1 ? 1.4 : 0.7;
    epoch.geoidSeparation = settings_.geoidSeparation;
    epoch.altitudeMsl = ellipsoidHeight - settings_.geoidSeparation;
    if (geo) {
        epoch.latitude = geo->latitude;
        epoch.longitude = geo->longitude;
        double heading =
            pose.heading - grid_->convergence(geo->latitude, geo->longitude, ellipsoidHeight);
        heading = std::fmod(heading + 360.0, 360.0);
        epoch.headingTrue = heading;
        epoch.courseTrue = heading;
    }
    epoch.speedKnots = settings_.speed * kKnotsPerMps;
    for (std::string& s : gnssSentences(epoch))
        push(gnss_, ms, std::move(s));
}

void Simulator::emitSounding(qint64 ms) {
    ++sounderCount_;
    const double t = static_cast<double>(ms) / 1000.0;
    const VesselPose pose = plan_.at(t);
    std::normal_distribution<double> gauss(0, 1);
    TruthRow row;
    row.time = settings_.start.addMSecs(ms);
    row.easting = pose.easting;
    row.northing = pose.northing;
    row.line = pose.line;
    row.crossTrack = pose.crossTrack;
    row.trueDepth = seabed_.depth(pose.easting, pose.northing);
    if (const auto geo = grid_->toWgs84(pose.easting, pose.northing, settings_.geoidSeparation)) {
        row.latitude = geo->latitude;
        row.longitude = geo->longitude;
    }
    // The sounder measures from the transducer at its assumed 1500 m/s.
    double measured = row.trueDepth - settings_.draft;
    if (settings_.noise) measured += 0.02 * gauss(rng_);
    const double scale = kSounderVelocity / settings_.soundVelocity;
    Sounding s;
    s.rawHigh = std::round(measured * scale * 100) / 100;
    s.rawLow = std::round((measured + 0.25) * scale * 100) /
               100;  // the low frequency reaches into the mud
    s.battery = 12.8 - 0.0001 * t;
    s.sequence = sounderCount_;
    row.rawHigh = s.rawHigh;
    row.rawLow = s.rawLow;
    truth_.push_back(row);
    push(sounder_, ms, sounderLine(*family_, s));
}

std::vector<Simulator::Line> Simulator::takeGnss() {
    return std::exchange(gnss_, {});
}
std::vector<Simulator::Line> Simulator::takeSounder() {
    return std::exchange(sounder_, {});
}
std::vector<TruthRow> Simulator::takeTruth() {
    return std::exchange(truth_, {});
}

}  // namespace nivora::sim
