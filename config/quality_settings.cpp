#include "config/quality_settings.h"

#include <algorithm>
#include <cmath>

#include "config/ranged_numbers.h"
#include "core/ini_store.h"
#include "core/number_format.h"

namespace nivora {
namespace {

using Q = QualitySettings;

const RangedNumber<Q> kNumbers[] = {
    {"Satellites below", &Q::satellitesBelow, 6, 0, 64},
    {"HDOP above", &Q::hdopAbove, 2, 0, 100},
    {"Correction age above", &Q::correctionAgeAbove, 10, 0, 3600},
    {"No GNSS data after", &Q::noGnssAfter, 3, 0.1, 3600},
    {"No soundings after", &Q::noSoundingAfter, 3, 0.1, 3600},
    {"Depth below", &Q::depthMin, 0.5, 0, 12000},
    {"Depth above", &Q::depthMax, 200, 0, 12000},
    {"Speed above", &Q::speedAbove, 8, 0, 100},
    {"Cross-track error above", &Q::crossTrackAbove, 5, 0, 10000},
    {"Stale after", &Q::staleAfter, 3, 0.1, 3600},
    {"GNSS latency", &Q::gnssLatency, 0, 0, 10000},
    {"Echosounder latency", &Q::sounderLatency, 0, 0, 10000},
    {"Interpolation wait", &Q::interpolationWait, 1500, 0, 10000},
};

struct AlarmRow {
    const char* name;
    bool Q::*on;
    QString Q::*threshold;  // null: the fix class
};

const AlarmRow kAlarms[kAlarmKinds] = {
    {"Fix quality", &Q::fixAlarm, nullptr},
    {"Satellites", &Q::satellitesAlarm, &Q::satellitesBelow},
    {"HDOP", &Q::hdopAlarm, &Q::hdopAbove},
    {"Correction age", &Q::correctionAgeAlarm, &Q::correctionAgeAbove},
    {"No GNSS data", &Q::noGnssAlarm, &Q::noGnssAfter},
    {"No soundings", &Q::noSoundingAlarm, &Q::noSoundingAfter},
    {"Depth", &Q::depthAlarm, &Q::depthMin},
    {"Speed", &Q::speedAlarm, &Q::speedAbove},
    {"Cross-track error", &Q::crossTrackAlarm, &Q::crossTrackAbove},
};

const AlarmRow& row(AlarmKind kind) {
    return kAlarms[static_cast<int>(kind)];
}

QString number(double v) {
    return QString::fromStdString(formatShortest(v));
}

}  // namespace

QString alarmName(AlarmKind kind) {
    return QLatin1String(row(kind).name);
}

int fixClassRank(int quality) {
    switch (quality) {
        case 4:
            return 5;  // RTK fixed
        case 5:
            return 4;  // RTK float
        case 2:
        case 3:
        case 9:
            return 3;  // DGPS, PPS, SBAS
        case 1:
            return 2;  // autonomous
        case 6:
            return 1;  // dead reckoning
        default:
            return 0;
    }
}

QString alarmThresholdText(AlarmKind kind, double t, double upper) {
    switch (kind) {
        case AlarmKind::FixQuality: {
            static const char* const kClasses[] = {"invalid", "dead reckoning", "autonomous",
                                                   "DGPS",    "RTK float",      "RTK fixed"};
            return QStringLiteral("below ") +
                   QLatin1String(kClasses[std::clamp(fixClassRank(static_cast<int>(t)), 0, 5)]);
        }
        case AlarmKind::Satellites:
            return QStringLiteral("below ") + number(t);
        case AlarmKind::Hdop:
            return QStringLiteral("above ") + number(t);
        case AlarmKind::CorrectionAge:
        case AlarmKind::NoGnss:
        case AlarmKind::NoSounding:
            return QStringLiteral("above %1 s").arg(number(t));
        case AlarmKind::Depth:
            return QStringLiteral("outside %1 to %2 m").arg(number(t), number(upper));
        case AlarmKind::Speed:
            return QStringLiteral("above %1 kn").arg(number(t));
        case AlarmKind::CrossTrack:
            return QStringLiteral("above %1 m").arg(number(t));
    }
    return {};
}

bool QualitySettings::alarmOn(AlarmKind kind) const {
    return this->*row(kind).on;
}

void QualitySettings::setAlarmOn(AlarmKind kind, bool on) {
    this->*row(kind).on = on;
}

QString QualitySettings::*QualitySettings::thresholdField(AlarmKind kind) const {
    return row(kind).threshold;
}

double QualitySettings::threshold(AlarmKind kind) const {
    if (kind == AlarmKind::FixQuality) return fixBelow;
    return rangedValue(kNumbers, *this, row(kind).threshold);
}

double QualitySettings::depthMaxM() const {
    return rangedValue(kNumbers, *this, &Q::depthMax);
}
double QualitySettings::staleAfterS() const {
    return rangedValue(kNumbers, *this, &Q::staleAfter);
}
qint64 QualitySettings::gnssLatencyMs() const {
    return std::llround(rangedValue(kNumbers, *this, &Q::gnssLatency));
}
qint64 QualitySettings::sounderLatencyMs() const {
    return std::llround(rangedValue(kNumbers, *this, &Q::sounderLatency));
}
qint64 QualitySettings::interpolationWaitMs() const {
    return std::llround(rangedValue(kNumbers, *this, &Q::interpolationWait));
}

QString QualitySettings::problem() const {
    return rangedProblem(kNumbers, *this);
}

const std::vector<IniKey<QualitySettings>>& QualitySettings::keys() {
    static const std::vector<IniKey<Q>> keys = {
        {"QUALITY", "FixAlarm", IniKind::Boolean, &Q::fixAlarm, "1"},
        {"QUALITY", "FixBelow", IniKind::Integer, &Q::fixBelow, "4"},
        {"QUALITY", "SatellitesAlarm", IniKind::Boolean, &Q::satellitesAlarm, "1"},
        {"QUALITY", "SatellitesBelow", IniKind::Text, &Q::satellitesBelow, "6"},
        {"QUALITY", "HdopAlarm", IniKind::Boolean, &Q::hdopAlarm, "1"},
        {"QUALITY", "HdopAbove", IniKind::Text, &Q::hdopAbove, "2"},
        {"QUALITY", "CorrectionAgeAlarm", IniKind::Boolean, &Q::correctionAgeAlarm, "1"},
        {"QUALITY", "CorrectionAgeAbove", IniKind::Text, &Q::correctionAgeAbove, "10"},
        {"QUALITY", "NoGnssAlarm", IniKind::Boolean, &Q::noGnssAlarm, "1"},
        {"QUALITY", "NoGnssAfter", IniKind::Text, &Q::noGnssAfter, "3"},
        {"QUALITY", "NoSoundingAlarm", IniKind::Boolean, &Q::noSoundingAlarm, "1"},
        {"QUALITY", "NoSoundingAfter", IniKind::Text, &Q::noSoundingAfter, "3"},
        {"QUALITY", "DepthAlarm", IniKind::Boolean, &Q::depthAlarm, "1"},
        {"QUALITY", "DepthMin", IniKind::Text, &Q::depthMin, "0.5"},
        {"QUALITY", "DepthMax", IniKind::Text, &Q::depthMax, "200"},
        {"QUALITY", "SpeedAlarm", IniKind::Boolean, &Q::speedAlarm, "1"},
        {"QUALITY", "SpeedAbove", IniKind::Text, &Q::speedAbove, "8"},
        {"QUALITY", "CrossTrackAlarm", IniKind::Boolean, &Q::crossTrackAlarm, "1"},
        {"QUALITY", "CrossTrackAbove", IniKind::Text, &Q::crossTrackAbove, "5"},
        {"QUALITY", "AlarmSoundMuted", IniKind::Boolean, &Q::alarmSoundMuted, "0"},
        {"QUALITY", "StaleAfter", IniKind::Text, &Q::staleAfter, "3"},
        {"QUALITY", "GnssLatency", IniKind::Text, &Q::gnssLatency, "0"},
        {"QUALITY", "SounderLatency", IniKind::Text, &Q::sounderLatency, "0"},
        {"QUALITY", "Interpolate", IniKind::Boolean, &Q::interpolate, "1"},
        {"QUALITY", "InterpolationWait", IniKind::Text, &Q::interpolationWait, "1500"},
    };
    return keys;
}

void QualitySettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void QualitySettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

}  // namespace nivora
