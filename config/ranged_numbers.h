#pragma once

// Number fields kept as typed: each with its name on its window, its
// default and its range. A text that is not a number in range reads as the
// default, and the first such field is named for the window to refuse.

#include <QString>
#include <optional>

#include "core/number_text.h"

namespace nivora {

template <class M>
struct RangedNumber {
    const char* label;
    QString M::*member;
    double fallback, lo, hi;

    std::optional<double> read(const M& m) const {
        const auto v = toNumber(m.*member);
        if (v && *v >= lo && *v <= hi) return v;
        return std::nullopt;
    }
};

// The value of `member` by its row of `table`; 0 for a member not in it.
template <class M, class Table>
double rangedValue(const Table& table, const M& m, QString M::*member) {
    for (const RangedNumber<M>& f : table) {
        if (f.member == member) return f.read(m).value_or(f.fallback);
    }
    return 0;
}

// "Run-in: 'x' is not a number from 0 to 10000" for the first field out of
// range; empty when every one is in range.
template <class M, class Table>
QString rangedProblem(const Table& table, const M& m) {
    for (const RangedNumber<M>& f : table) {
        if (!f.read(m)) {
            return QStringLiteral("%1: '%2' is not a number from %3 to %4")
                .arg(QLatin1String(f.label), m.*f.member)
                .arg(f.lo)
                .arg(f.hi);
        }
    }
    return {};
}

}  // namespace nivora
