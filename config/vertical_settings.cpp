#include "config/vertical_settings.h"

#include <QDir>
#include <QFileInfo>

#include "config/ranged_numbers.h"
#include "core/ini_store.h"

namespace nivora {
namespace {

using V = VerticalSettings;
const RangedNumber<V> kNumbers[] = {{"Longest gap", &V::tideMaxGap, 30, 1, 1440}};

}  // namespace

TideSource VerticalSettings::source() const {
    return tideSource == 1   ? TideSource::File
           : tideSource == 2 ? TideSource::Rtk
                             : TideSource::Typed;
}

double VerticalSettings::tideMaxGapMinutes() const {
    return rangedValue(kNumbers, *this, &V::tideMaxGap);
}

QString VerticalSettings::problem() const {
    return rangedProblem(kNumbers, *this);
}

QString VerticalSettings::geoidPath() const {
    if (geoidModel.isEmpty() || QFileInfo(geoidModel).isAbsolute() ||
        geoidModel.contains(QLatin1Char('/')))
        return geoidModel;
    for (const char* var : {"PROJ_DATA", "PROJ_LIB"}) {
        const QString dir = qEnvironmentVariable(var);
        if (!dir.isEmpty() && QFileInfo::exists(QDir(dir).filePath(geoidModel)))
            return QDir(dir).filePath(geoidModel);
    }
    return QStringLiteral("/usr/share/proj/") + geoidModel;
}

const std::vector<IniKey<VerticalSettings>>& VerticalSettings::keys() {
    static const std::vector<IniKey<V>> keys = {
        {"VERTICAL", "GeoidModel", IniKind::Text, &V::geoidModel, ""},
        {"VERTICAL", "GeoidAlways", IniKind::Boolean, &V::geoidAlways, "0"},
        {"VERTICAL", "TideSource", IniKind::Integer, &V::tideSource, "0"},
        {"VERTICAL", "TideFile", IniKind::Text, &V::tideFile, ""},
        {"VERTICAL", "TideMaxGap", IniKind::Text, &V::tideMaxGap, "30"},
    };
    return keys;
}

void VerticalSettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void VerticalSettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

}  // namespace nivora
