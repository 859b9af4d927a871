#pragma once

// Files the program writes are 8-bit text in the system code page.

#include <QByteArray>
#include <QString>

namespace nivora {

QByteArray toSystemBytes(const QString& text);
QString fromSystemBytes(QByteArrayView bytes);

}  // namespace nivora
