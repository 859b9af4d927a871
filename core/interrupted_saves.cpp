#include "core/interrupted_saves.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace nivora {

bool isInterruptedSave(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || fileName.size() - dot - 1 != 6) return false;
    const QStringView suffix = QStringView(fileName).mid(dot + 1);
    return std::all_of(suffix.begin(), suffix.end(),
                       [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; });
}

void removeInterruptedSavesIn(const QString& folder, const QString& nameFilter) {
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({nameFilter + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden)) {
        if (isInterruptedSave(name)) QFile::remove(dir.filePath(name));
    }
}

void removeInterruptedSaves(const QString& path) {
    const QFileInfo target(path);
    removeInterruptedSavesIn(target.absolutePath(), target.fileName());
}

}  // namespace nivora
