#include "config/ini_file.h"

#include "core/ini_store.h"

namespace nivora {

bool updateIniFile(const QString& path, const std::function<void(IniStore&)>& change,
                   QString* error) {
    IniStore ini(path);
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
