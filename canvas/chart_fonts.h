#pragma once

// The fonts the chart asks for by name ("Arial", "Tahoma", "Consolas"), each
// followed by families that ./setup.sh installs on Linux, so that the same
// family is drawn whatever else a machine has: left to fontconfig, a
// monospace "Consolas" became Noto Mono where that is installed.

#include <QFont>
#include <QString>

namespace nivora {

enum class FontKind { Proportional, Monospace };

// `family` first (empty: the fallbacks alone), then the fallbacks of its kind.
QFont chartFont(const QString& family, FontKind kind = FontKind::Proportional);

}  // namespace nivora
