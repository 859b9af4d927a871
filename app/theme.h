#pragma once

// User-interface styles: the plain platform style ("Nivora DW - Default"),
// every Qt style the platform offers, and a dark palette for night work on
// the bridge, where a white screen ruins the watch's night vision.

#include <QString>
#include <QStringList>

namespace nivora {

inline constexpr const char* kDefaultTheme = "Nivora DW - Default";
inline constexpr const char* kNightTheme = "Nivora DW - Night";

// Every choice, the default first.
QStringList themeChoices();
// Applies a choice to the whole application; an unknown name leaves the
// style as it is and returns false.
bool applyTheme(const QString& name);
// The choice in use.
QString currentTheme();

}  // namespace nivora
