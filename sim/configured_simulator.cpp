#include "sim/configured_simulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/clock.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"

namespace nivora::sim {
namespace {

const QString kSection = QStringLiteral("SIMULATOR");

// A start for the inverse projection near the survey area.
GridModel::Geographic nearby(const geodesy::GeodeticParameters& p, const SurveyArea& area) {
    const bool lambert = p.lambertSelected();
    const double n = (area.minNorthing + area.maxNorthing) / 2,
                 e = (area.minEasting + area.maxEasting) / 2;
    const double fn = parseNumber(lambert ? p.lccFalseNorthing : p.falseNorthing).value_or(0);
    const double fe = parseNumber(lambert ? p.lccFalseEasting : p.falseEasting).value_or(0);
    const double lat0 =
        parseNumber(lambert ? p.lccCentralParallel : p.referenceLatitude).value_or(0);
    const double lon0 = parseNumber(lambert ? p.lccCentralMeridian : p.centralMeridian).value_or(0);
    const double lat = std::clamp(lat0 + (n - fn) / 110950.0, -80.0, 80.0);
    const double lon = lon0 + (e - fe) / (111320.0 * std::cos(lat * std::numbers::pi / 180));
    return {lat, lon};
}

std::optional<SurveyArea> parseArea(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const auto x = toNumber(parts[i]);
        if (!x) return std::nullopt;
        v[i] = *x;
    }
    if (v[2] <= v[0] || v[3] <= v[1]) return std::nullopt;
    return SurveyArea{v[0], v[1], v[2], v[3]};
}

}  // namespace

std::unique_ptr<ConfiguredSimulator> ConfiguredSimulator::create(const IniStore& ini,
                                                                 const SurveyModels& models,
                                                                 const Clock& clock,
                                                                 SimulatorSettings s,
                                                                 QString* error) {
    const auto area = parseArea(ini.readString(kSection, QStringLiteral("Area")));
    if (!area) {
        *error = QStringLiteral("no [SIMULATOR] Area=MINE,MINN,MAXE,MAXN in grid coordinates");
        return nullptr;
    }
    s.area = *area;
    s.lineSpacing = toNumber(ini.readString(kSection, QStringLiteral("LineSpacing"))).value_or(25);
    s.speed = toNumber(ini.readString(kSection, QStringLiteral("Speed"))).value_or(2.0);
    const QString script = ini.readString(kSection, QStringLiteral("FixScript"));
    if (!script.isEmpty()) s.fixScript = script;
    s.family = models.device.sbesMessage;
    // The water the simulator makes is the water the offsets describe, so
    // the right offsets give back the true depth.
    s.soundVelocity = toNumber(models.offsets.soundVelocity).value_or(1500);
    s.draft = toNumber(models.offsets.offsetA).value_or(0);
    s.antennaAboveWater = toNumber(models.offsets.offsetC).value_or(2);

    geodesy::ParameterConversionError perr;
    auto projector = geodesy::FixProjector::take(models.device.geodeticParameters(), &perr);
    if (!projector) {
        *error =
            QStringLiteral("the geodetic parameters cannot be used (%1)")
                .arg(QString::fromLatin1(perr.key.data(), static_cast<qsizetype>(perr.key.size())));
        return nullptr;
    }
    std::unique_ptr<ConfiguredSimulator> c(new ConfiguredSimulator);
    c->settings_ = s;
    c->grid_ = std::make_unique<GeodesyGridModel>(
        *projector, nearby(models.device.geodeticParameters(), s.area));
    auto simulator = Simulator::create(s, *c->grid_, error);
    if (!simulator) return nullptr;
    c->feed_ = std::make_unique<SimulatorFeed>(std::move(*simulator), clock);
    return c;
}

bool ConfiguredSimulator::wanted(const DeviceSettingsModel& device) {
    const auto isSim = [](const PortSettings& p) {
        return p.port.trimmed().compare(QLatin1String("SIM"), Qt::CaseInsensitive) == 0;
    };
    return isSim(device.gps) || isSim(device.sensor);
}

}  // namespace nivora::sim
