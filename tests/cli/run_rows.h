#pragma once

// The comma-separated logs of a run (coordinate log, truth.csv, line and
// alarm logs), read as rows of fields after their header.

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

#include "tests/support/test_support.h"

namespace nivora::test {

struct Row {
    QList<QByteArray> f;
    double at(int i) const { return f[i].toDouble(); }
};

inline std::vector<Row> readRows(const QString& path) {
    std::vector<Row> rows;
    const QList<QByteArray> lines = readFile(path).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty()) rows.push_back({lines[i].split(',')});
    }
    return rows;
}

}  // namespace nivora::test
