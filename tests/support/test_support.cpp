#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

namespace nivora::test {

QString dataPath(const QString& relative) {
    return QStringLiteral(NIVORA_TEST_DATA_DIR "/") + relative;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

std::string difference(const std::string& a, const std::string& b) {
    if (a == b) return {};
    const auto at = static_cast<std::size_t>(
        std::mismatch(a.begin(),
                      a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())),
                      b.begin())
            .first -
        a.begin());
    const std::size_t from = at < 80 ? 0 : at - 80;
    return "at byte " + std::to_string(at) + ":\n" + a.substr(from, 160) + "\n---\n" +
           b.substr(from, 160);
}

}  // namespace nivora::test
