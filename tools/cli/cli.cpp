#include "tools/cli/cli.h"

#include <cstdio>

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

int fail(const QString& text) {
    std::fprintf(stderr, "nivora: %s\n", text.toLocal8Bit().constData());
    return 2;
}

}  // namespace nivora::cli
