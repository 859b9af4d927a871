#include "canvas/chart_fonts.h"

#include <QStringList>

namespace nivora {
namespace {

// The families with the same metrics where a drawing names a font of
// Windows (as fontconfig's own aliases have them); the rest fall back to
// DejaVu, fontconfig's default.
QStringList fallbacks(const QString& family, FontKind kind) {
    const auto is = [&family](std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (family.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return true;
        }
        return false;
    };
    if (is({"Arial", "Helvetica"}))
        return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    if (is({"Times New Roman", "Times"}))
        return {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
    if (is({"Courier New", "Courier"}))
        return {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")};
    if (kind == FontKind::Monospace)
        return {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")};
    return {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
}

}  // namespace

QFont chartFont(const QString& family, FontKind kind) {
    QStringList families;
    if (!family.isEmpty()) families << family;
    families << fallbacks(family, kind);
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(kind == FontKind::Monospace ? QFont::Monospace : QFont::SansSerif);
    return font;
}

}  // namespace nivora
