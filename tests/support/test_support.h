#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <string>

namespace nivora::test {

// A file under tests/data.
QString dataPath(const QString& relative);
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Empty when equal, else the first place two long texts differ (too long
// for a test's failure message whole).
std::string difference(const std::string& a, const std::string& b);

}  // namespace nivora::test
