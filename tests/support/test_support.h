#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace nivora::test {

// A file under tests/data.
QString dataPath(const QString& relative);
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

}  // namespace nivora::test
