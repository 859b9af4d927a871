#include "core/settings_file.h"

#include <QFileInfo>

namespace nivora {

QString SettingsFile::companionBase() const {
    const QFileInfo fi(path_);
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName();
}

IniStore SettingsFile::read() const {
    return IniStore(path_);
}

bool SettingsFile::update(const std::function<void(IniStore&)>& change, QString* error) const {
    if (path_.isEmpty()) {
        if (error) *error = QStringLiteral("No settings file is in use");
        return false;
    }
    IniStore ini(path_);
    if (!ini.loaded()) {
        if (error) *error = ini.errorString();
        return false;
    }
    change(ini);
    if (!ini.save()) {
        if (error) *error = ini.errorString();
        return false;
    }
    return true;
}

}  // namespace nivora
