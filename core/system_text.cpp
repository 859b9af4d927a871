#include "core/system_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace nivora {

QByteArray toSystemBytes(const QString& text) {
    QStringEncoder enc(QStringConverter::System);
    return enc.encode(text);
}

QString fromSystemBytes(QByteArrayView bytes) {
    QStringDecoder dec(QStringConverter::System);
    return dec.decode(bytes);
}

}  // namespace nivora
