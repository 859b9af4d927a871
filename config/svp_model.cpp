#include "config/svp_model.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>

#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "core/scan.h"
#include "core/system_text.h"

namespace nivora {
namespace {

using M = SvpModel;
using Key = IniKey<M>;

const char* const kMemoNames[] = {"mRawSVData", "mRawSVExtracted", "mSortedAveragedSV",
                                  "mSVPColumn"};

QString fixed(double v, int decimals) {
    QString s = QString::fromStdString(formatFixed(v, decimals));
    // A depth just above the surface rounds to "-0"; it is the surface.
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

QString general(double v) {
    return QString::fromStdString(formatGeneral15(v));
}

int scanLine(const ScanPattern& pattern, const QString& line, double* a, double* b) {
    const QByteArray bytes = line.toUtf8();
    return pattern(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), a,
                   b);
}

template <class... T>
int scanText(const QString& line, std::string_view pattern, T*... out) {
    const QByteArray bytes = line.toUtf8();
    return scanFormatted(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), pattern,
        out...);
}

bool outOfRange(double v) {
    return !std::isfinite(v) || v >= SvpModel::kMaxMeanVelocity || v <= SvpModel::kMinMeanVelocity;
}

QString rangeWarning(double velocity, int line, Language l) {
    if (l == Language::Turkish) {
        return QStringLiteral("Bu değer belkenen ses hızı aralığında değl! Ses hızı ") +
               general(velocity) + QStringLiteral("'nin bulunduğu satır ") + QString::number(line) +
               QStringLiteral(" kullanılmayacaktır.");
    }
    return QStringLiteral("Value exceeds SV range! Please correct ") + general(velocity) +
           QStringLiteral(" value at line ") + QString::number(line) +
           QStringLiteral(" in source file. This line will be skipped.");
}

QString missingSurfaceMessage(Language l) {
    if (l == Language::Turkish) {
        return QStringLiteral(
            "Ses hızı profilinin başlangıcı olan 0 derinlik ve buna ait ses hızı boş olamaz. Bu "
            "değeri kendiniz "
            "doldurup yeniden deneyiniz.\nÖrnek: 0,1500.00");
    }
    return QStringLiteral(
        "SV value at 0 depth cannot be blank. Consider manually adding a value for 0 depth.Example "
        "0,1500.");
}

QString profileRangeMessage(int i, Language l) {
    if (l == Language::Turkish) {
        return QStringLiteral("Sıra ") + QString::number(i) +
               QStringLiteral(
                   " ses hızı değeri hatalı. Lütfen kontrol edin, düzeltin ve tekrar deneyin");
    }
    return QStringLiteral("SV value at ") + QString::number(i) +
           QStringLiteral(" is out of range. Please check, correct retry.");
}

// Reads a memo or probe file; a missing file is an empty memo.
bool readLines(const QString& path, QStringList* lines, QString* error) {
    QFile f(path);
    if (!f.exists()) {
        lines->clear();
        return true;
    }
    if (f.size() > SvpModel::kMaxFileBytes) {
        *error = QStringLiteral("%1 is too large for a sound velocity file").arg(path);
        return false;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    QStringList read = memoLines(fromSystemBytes(f.readAll()));
    if (read.size() > SvpModel::kMaxFileLines) {
        *error = QStringLiteral("%1 has more lines than a sound velocity file can have").arg(path);
        return false;
    }
    *lines = std::move(read);
    return true;
}

}  // namespace

QString memoText(const QStringList& lines) {
    QString out;
    for (const QString& l : lines)
        out += l + QLatin1Char('\n');
    return out;
}

QStringList memoLines(const QString& text) {
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    for (QString& l : lines) {
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    }
    return lines;
}

const std::vector<Key>& SvpModel::keys() {
    static const std::vector<Key> keys = {
        {"SVP", "cUseSVP", IniKind::Boolean, &M::useSvp, "1"},
        {"SVP", "eSearchString", IniKind::Text, &M::searchString, nullptr},
        {"SVP", "eMaxDepth", IniKind::Text, &M::maxDepth, nullptr},
        {"SVP", "rSVFirst", IniKind::Boolean, Key::BoolAccess{&M::svFirstChecked, &M::setSvFirst},
         "1"},
        {"SVP", "rDFirst", IniKind::Boolean,
         Key::BoolAccess{&M::depthFirstChecked, &M::setDepthFirst}, "0"},
    };
    return keys;
}

void SvpModel::setSvFirst(bool checked) {
    svFirst = checked;
    if (checked) depthFirst = false;
}

void SvpModel::setDepthFirst(bool checked) {
    depthFirst = checked;
    if (checked) svFirst = false;
}

void SvpModel::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void SvpModel::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

void SvpModel::create(const IniStore& ini, const QString& memoBase) {
    QString ignored;
    loadMemoFiles(memoBase, &ignored);
    load(ini);
    useSvpEnabled = !column.isEmpty();
    if (column.isEmpty()) useSvp = false;
}

void SvpModel::defaults() {
    resetPattern();
    maxDepth = QStringLiteral("200");
    setSvFirst(true);
}

void SvpModel::columnEmptied() {
    column.clear();
    useSvp = false;
    useSvpEnabled = false;
}

bool SvpModel::maxDepthLines(int* lines, QString* error) const {
    const auto n = toInteger(maxDepth);
    if (!n) {
        *error = notANumberMessage(QStringLiteral("Max Depth"), maxDepth);
        return false;
    }
    // Each metre is a memo line: a depth of millions would only eat memory.
    if (*n < 1 || *n > kMaxDepthLimit) {
        *error = QStringLiteral("Max Depth must be from 1 to %1 m, not %2")
                     .arg(kMaxDepthLimit)
                     .arg(maxDepth);
        return false;
    }
    *lines = *n;
    return true;
}

void SvpModel::extract(const AskOkCancel& ask, Language l) {
    extracted.clear();
    averaged.clear();
    columnEmptied();

    const ScanPattern pattern(searchString.toStdString());
    for (qsizetype i = 0; i < rawData.size(); ++i) {
        double first = 0;
        double second = 0;
        if (scanLine(pattern, rawData.at(i), &first, &second) != 2) continue;
        const double velocity = svFirst ? first : second;
        const double depth = svFirst ? second : first;
        if (velocity >= kMinRawVelocity && velocity <= kMaxRawVelocity) {
            extracted << fixed(depth, 0) + QLatin1Char(',') + fixed(velocity, 3);
            continue;
        }
        if (!ask(rangeWarning(velocity, static_cast<int>(i + 1), l))) return;
    }
}

QString SvpModel::average() {
    int lines = 0;
    QString error;
    if (!maxDepthLines(&lines, &error)) return error;

    columnEmptied();
    averaged = QStringList();
    averaged.reserve(lines);
    for (int i = 0; i < lines; ++i)
        averaged << QString();

    int deepest = -1;
    for (const QString& sample : std::as_const(extracted)) {
        int d = 0;
        double v = 0;
        if (scanText(sample, "%d,%lf", &d, &v) != 2) continue;
        if (d < 0 || d >= lines) continue;
        deepest = std::max(deepest, d);
        int stored = 0;
        double mean = 0;
        int count = 0;
        if (scanText(averaged.at(d), "%d,%lf,%d", &stored, &mean, &count) == 3 && stored == d &&
            count >= 1) {
            const double n = static_cast<double>(count);
            averaged[d] = QString::number(d) + QLatin1Char(',') +
                          fixed((n * mean + v) / (n + 1.0), 2) + QLatin1Char(',') +
                          QString::number(static_cast<qint64>(count) + 1);
        } else {
            averaged[d] = sample + QStringLiteral(",1");
        }
    }
    if (deepest < 0) return {};

    double mean = 0;
    if (scanText(averaged.at(deepest), "%*d,%lf", &mean) != 1) return {};
    const QString meanText = fixed(mean, 2);
    for (int j = deepest + 1; j < lines; ++j) {
        averaged[j] = QString::number(j) + QLatin1Char(',') + meanText + QStringLiteral(",0");
    }
    return {};
}

QString SvpModel::profile(Language l) {
    int lines = 0;
    QString error;
    if (!maxDepthLines(&lines, &error)) return error;

    column = QStringList();
    column.reserve(lines);
    for (int i = 0; i < lines; ++i)
        column << QString();

    double runningMean = 0;
    bool haveLine = false;
    int d = 0;
    double c = 0;
    for (int i = 0; i < lines; ++i) {
        int lineDepth = 0;
        double lineVelocity = 0;
        // An averaged memo shorter than Max Depth has no line i: as if empty.
        const QString line = i < averaged.size() ? averaged.at(i) : QString();
        if (scanText(line, "%d,%lf", &lineDepth, &lineVelocity) == 2) {
            d = lineDepth;
            c = lineVelocity;
            haveLine = true;
        } else if (!haveLine) {
            saveEnabled = false;
            columnEmptied();
            return missingSurfaceMessage(l);
        }
        runningMean = (static_cast<double>(d) * runningMean + c) / (static_cast<double>(d) + 1.0);
        if (outOfRange(runningMean) || outOfRange(c)) {
            saveEnabled = false;
            columnEmptied();
            return profileRangeMessage(i, l);
        }
        column[i] = fixed(runningMean, 2);
    }
    saveEnabled = true;
    useSvpEnabled = true;
    return {};
}

QStringList SvpModel::memoFilePaths(const QString& base) {
    return {base + QStringLiteral(" mRawSVData.ini"), base + QStringLiteral(" mRawSVExtracted.ini"),
            base + QStringLiteral(" mSortedAveragedSV.ini"),
            base + QStringLiteral("mSVPColumn.ini")};
}

bool SvpModel::loadMemoFiles(const QString& base, QString* error) {
    const QStringList paths = memoFilePaths(base);
    QStringList* memos[] = {&rawData, &extracted, &averaged, &column};
    QStringList problems;
    for (int i = 0; i < 4; ++i) {
        QString why;
        if (!readLines(paths.at(i), memos[i], &why)) problems << why;
    }
    if (error) *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

bool SvpModel::saveMemoFiles(const QString& base, QString* error) const {
    const QStringList paths = memoFilePaths(base);
    const QStringList* memos[] = {&rawData, &extracted, &averaged, &column};
    for (int i = 0; i < 4; ++i) {
        QSaveFile f(paths.at(i));
        const QByteArray bytes = toSystemBytes(memoText(*memos[i]));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
            if (error)
                *error = QStringLiteral("Cannot write %1: %2").arg(paths.at(i), f.errorString());
            return false;
        }
    }
    return true;
}

bool SvpModel::loadProbeFile(const QString& path, QString* error) {
    QStringList lines;
    QString why;
    if (!QFile::exists(path)) {
        why = QStringLiteral("Cannot read %1: no such file").arg(path);
    } else if (readLines(path, &lines, &why)) {
        rawData = std::move(lines);
        extracted.clear();
        averaged.clear();
        columnEmptied();
        return true;
    }
    if (error) *error = why;
    return false;
}

QList<QPair<QString, QString>> SvpModel::memoTexts() const {
    const QStringList* memos[] = {&rawData, &extracted, &averaged, &column};
    QList<QPair<QString, QString>> out;
    for (int i = 0; i < 4; ++i)
        out.append({QString::fromLatin1(kMemoNames[i]), memoText(*memos[i])});
    return out;
}

}  // namespace nivora
