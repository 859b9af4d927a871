#include "tests/files/files_test_support.h"

#include <QProcess>

namespace nivora::test {

std::string runPython(const QString& script, const QStringList& args, int* exitCode) {
    // The Debian package is importable by the system interpreter, which need
    // not be the first python3 on PATH.
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + args);
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start /usr/bin/python3 (install python3-ezdxf with ./setup.sh)";
        return {};
    }
    p.waitForFinished(300000);
    const QByteArray err = p.readAllStandardError();
    if (exitCode) {
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    } else if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "python failed: " << err.toStdString();
    }
    const QByteArray out = p.readAllStandardOutput();
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}

}  // namespace nivora::test
