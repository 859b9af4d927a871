#include "tools/cli/cli.h"

#include <QFileInfo>
#include <cstdio>

#include "core/ini_store.h"

namespace nivora::cli {

std::optional<QString> Arguments::value(const QString& option) const {
    const qsizetype i = args_.indexOf(option);
    if (i < 0 || i + 1 >= args_.size()) return std::nullopt;
    return args_[i + 1];
}

QStringList Arguments::positional(const QStringList& optionsWithValue) const {
    QStringList out;
    for (qsizetype i = 0; i < args_.size(); ++i) {
        if (optionsWithValue.contains(args_[i])) {
            ++i;
        } else if (!args_[i].startsWith(QLatin1String("--"))) {
            out << args_[i];
        }
    }
    return out;
}

namespace {
QString& commandName() {
    static QString name;
    return name;
}
}  // namespace

void setCommandName(const QString& name) {
    commandName() = name;
}

int fail(const QString& text) {
    std::fprintf(stderr, "nivora: %s\n", text.toLocal8Bit().constData());
    return 2;
}

bool settingsReadable(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("cannot read %1: no such file").arg(path);
        return false;
    }
    const IniStore ini(path);
    if (!ini.loaded()) {
        *error = ini.errorString();
        return false;
    }
    return true;
}

int usageError(const QString& text) {
    const QString hint = commandName().isEmpty()
                             ? QStringLiteral("nivora --help")
                             : QStringLiteral("nivora %1 --help").arg(commandName());
    return fail(text + QStringLiteral(" (%1 tells how)").arg(hint));
}

}  // namespace nivora::cli
