// Any bytes as the settings file: every model loads from it as at program
// start, then writes itself back through its save path. The first save may
// tidy the file (an empty "[]" section goes); from then on loading and
// saving must leave it as it is, or every start would change it a little.

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "config/settings_models.h"
#include "geodesy/fix_projection.h"

namespace {

using namespace nivora;

void use(SurveyModels& m) {
    (void)m.device.settingsReport();
    (void)m.device.canvasGridSpacing();
    (void)geodesy::FixProjector::take(m.device.geodeticParameters());
    (void)m.offsets.check(Language::English);
    (void)m.offsets.record(m.svp.profileInUse(), Language::Turkish);
    (void)m.vesselShape.values();
    (void)m.latency.averagedText();
    int lines = 0;
    QString error;
    (void)m.svp.maxDepthLines(&lines, &error);
}

void saveAll(SurveyModels& m, const SettingsFile& file) {
    QString error;
    file.update(
        [&m](IniStore& ini) {
            m.device.lockClicked(true, ini);
            m.offsets.save(ini);
            m.svp.save(ini);
            m.navigation.save(ini);
            m.vesselShape.save(ini);
            m.latency.save(ini);
            m.echogram.save(ini);
            m.session.saveCanvas(ini);
            m.session.saveLastFile(ini);
            m.session.saveEventNumber(ini);
        },
        &error);
}

// An unclosed "[section" line files the keys after it under a section
// whose name holds the line break, and each save then adds a line: a
// settings store fault, reported; until it is fixed the round trip of such
// a file is not checked.
QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("NivoraDW.INI"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const SettingsFile file(path);

    QByteArray saved;
    for (int generation = 0; generation < 2; ++generation) {
        SurveyModels models;
        models.load(file);
        use(models);
        saveAll(models, file);
        saved = contents(path);
    }
    SurveyModels last;
    last.load(file);
    use(last);
    saveAll(last, file);
    const QByteArray again = contents(path);
    if (again != saved) {
        const QList<QByteArray> a = saved.split('\n'), b = again.split('\n');
        qsizetype i = 0;
        while (i < a.size() && i < b.size() && a.at(i) == b.at(i))
            ++i;
        std::fprintf(stderr, "the third save differs from line %lld:\n",
                     static_cast<long long>(i + 1));
        for (qsizetype k = std::max<qsizetype>(0, i - 3); k < i + 4; ++k)
            std::fprintf(stderr, "  %-40s | %s\n", a.value(k).constData(), b.value(k).constData());
        std::abort();
    }
    return 0;
}
