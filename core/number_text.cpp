#include "core/number_text.h"

#include "core/number_format.h"

namespace nivora {

std::optional<double> toNumber(const QString& text) {
    const QByteArray b = text.toLatin1();
    return parseNumber(std::string_view(b.constData(), static_cast<std::size_t>(b.size())));
}

std::optional<int> toInteger(const QString& text) {
    const QByteArray b = text.toLatin1();
    return parseInteger(std::string_view(b.constData(), static_cast<std::size_t>(b.size())));
}

QString notANumberMessage(const QString& field, const QString& text) {
    return QStringLiteral("%1: '%2' is not a valid number").arg(field, text);
}

}  // namespace nivora
