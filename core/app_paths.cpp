#include "core/app_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/ini_store.h"

namespace nivora {

QString iniPathArgument(const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--ini") && i + 1 < arguments.size()) return arguments[i + 1];
        if (a.startsWith(QLatin1String("--ini="))) return a.mid(6);
    }
    return {};
}

QString resolveIniPath(const QString& explicitPath, const QString& executablePath) {
    if (!explicitPath.isEmpty()) return QFileInfo(explicitPath).absoluteFilePath();
    const QFileInfo exe(executablePath);
    const QString fileName = exe.completeBaseName() + QLatin1String(".INI");
    const QFileInfo dir(exe.absolutePath());
    if (dir.isDir() && dir.isWritable()) return QDir(exe.absolutePath()).filePath(fileName);
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath();
    return QDir(base).filePath(QLatin1String("NivoraDW/") + fileName);
}

QString dataRootFolder(const IniStore& ini) {
    QString root =
        ini.readString(QStringLiteral("APPLICATION"), QStringLiteral("DataFolder")).trimmed();
    if (root.isEmpty()) {
#ifdef Q_OS_WIN
        root = QStringLiteral("c:\\NWL\\");
#else
        root = QDir::homePath() + QLatin1String("/NWL/");
#endif
    }
    if (!root.endsWith(QLatin1Char('/')) && !root.endsWith(QLatin1Char('\\')))
        root += QDir::separator();
    return root;
}

}  // namespace nivora
