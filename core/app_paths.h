#pragma once

// Where the settings file and the survey data live.

#include <QString>
#include <QStringList>

namespace nivora {

class IniStore;

// The value of "--ini PATH" or "--ini=PATH" in the arguments; empty without one.
QString iniPathArgument(const QStringList& arguments);

// The settings file: the explicit path when given; otherwise the executable's
// path with the extension ".INI" when the executable's folder is writable;
// otherwise the same file name in the per-user configuration folder.
QString resolveIniPath(const QString& explicitPath, const QString& executablePath);

// Root of the day folders, ending with a separator: the INI's
// [APPLICATION] DataFolder when set; otherwise "c:\NWL\" on Windows and
// "$HOME/NWL/" elsewhere.
QString dataRootFolder(const IniStore& ini);

}  // namespace nivora
