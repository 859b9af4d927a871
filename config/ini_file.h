#pragma once

// Opening, changing and saving the settings file in one step, as every
// handler that writes settings does.

#include <QString>
#include <functional>

namespace nivora {

class IniStore;

// Reads the file, lets `change` write its keys and saves atomically. A file
// that exists but cannot be read is left untouched: saving over it would
// lose every other section. Returns false with the reason in `error`.
bool updateIniFile(const QString& path, const std::function<void(IniStore&)>& change,
                   QString* error);

}  // namespace nivora
