#include "config/session_keys.h"

#include <array>
#include <cmath>

#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"

namespace nivora {
namespace {

const QString kCanvas = QStringLiteral("CANVAS");
const QString kFile = QStringLiteral("FILE");
const QString kLastFile = QStringLiteral("Last File Saved");
const QString kEvents = QStringLiteral("EVENTS");
const QString kEventNumber = QStringLiteral("Event Number");

struct RealKey {
    const char* key;
    double CanvasKeys::*member;
};
constexpr std::array<RealKey, 4> kWorldKeys{{
    {"PlanWorldLeft", &CanvasKeys::planWorldLeft},
    {"PlanWorldRight", &CanvasKeys::planWorldRight},
    {"PlanWorldTop", &CanvasKeys::planWorldTop},
    {"PlanWorldBottom", &CanvasKeys::planWorldBottom},
}};
struct IntKey {
    const char* key;
    int CanvasKeys::*member;
};
constexpr std::array<IntKey, 2> kModeKeys{{
    {"DepthSpeedDisplayMode", &CanvasKeys::depthSpeedDisplayMode},
    {"GGAOverlayPosition", &CanvasKeys::ggaOverlayPosition},
}};
constexpr const char* kGridAutoScale = "GridAutoScale";

}  // namespace

void CanvasKeys::load(const IniStore& ini) {
    *this = CanvasKeys{};
    for (const RealKey& k : kWorldKeys) {
        // A value that is not a finite number keeps the default view.
        const auto v = toNumber(ini.readString(kCanvas, QLatin1String(k.key)));
        if (v && std::isfinite(*v)) this->*k.member = *v;
    }
    gridAutoScale = ini.readBool(kCanvas, QLatin1String(kGridAutoScale), true);
    for (const IntKey& k : kModeKeys)
        this->*k.member = ini.readInteger(kCanvas, QLatin1String(k.key), 0);
}

void CanvasKeys::save(IniStore& ini) const {
    for (const RealKey& k : kWorldKeys)
        ini.writeString(kCanvas, QLatin1String(k.key),
                        QString::fromStdString(formatShortest(this->*k.member)));
    ini.writeBool(kCanvas, QLatin1String(kGridAutoScale), gridAutoScale);
    for (const IntKey& k : kModeKeys)
        ini.writeInteger(kCanvas, QLatin1String(k.key), this->*k.member);
}

void SessionKeys::load(const IniStore& ini) {
    canvas.load(ini);
    lastFileSaved = ini.readString(kFile, kLastFile);
    eventNumber = ini.readInteger(kEvents, kEventNumber, 0);
}

void SessionKeys::saveLastFile(IniStore& ini) const {
    ini.writeString(kFile, kLastFile, lastFileSaved);
}

void SessionKeys::saveEventNumber(IniStore& ini) const {
    ini.writeInteger(kEvents, kEventNumber, eventNumber);
}

}  // namespace nivora
