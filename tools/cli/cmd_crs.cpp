// nivora crs: coordinate systems from the EPSG register into the settings.

#include <cstdio>

#include "core/ini_store.h"
#include "core/number_text.h"
#include "crs/epsg_register.h"
#include "geodesy/geodetic_parameters.h"
#include "tools/cli/cli.h"

namespace nivora::cli {
namespace {

std::optional<int> epsgCode(const QString& text) {
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("EPSG:"), Qt::CaseInsensitive)) t = t.mid(5);
    const auto v = toInteger(t);
    if (!v || *v <= 0) return std::nullopt;
    return static_cast<int>(*v);
}

void print(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
}

}  // namespace

int runCrs(const Arguments& args) {
    QString error;
    const auto reg = crs::EpsgRegister::open(
        args.value(QStringLiteral("--register")).value_or(crs::EpsgRegister::defaultPath()),
        &error);
    if (!reg) return fail(error);

    if (const auto text = args.value(QStringLiteral("--search"))) {
        for (const crs::CrsMatch& m : reg->search(*text, 200)) {
            print(QStringLiteral("EPSG:%1\t%2\t%3%4\t%5")
                      .arg(m.code)
                      .arg(m.name, m.method,
                           m.supported ? QString() : QStringLiteral(" (not supported)"), m.area));
        }
        return 0;
    }
    const QStringList codes =
        args.positional({QStringLiteral("--ini"), QStringLiteral("--transformation"),
                         QStringLiteral("--register")});
    if (codes.size() != 1)
        return usageError(QStringLiteral("crs needs EPSG:CODE or --search TEXT"));
    const auto code = epsgCode(codes[0]);
    if (!code) return usageError(QStringLiteral("'%1' is no EPSG code").arg(codes[0]));
    std::optional<int> transformation;
    if (const auto t = args.value(QStringLiteral("--transformation"))) {
        transformation = epsgCode(*t);
        if (!transformation) return usageError(QStringLiteral("'%1' is no EPSG code").arg(*t));
    }

    const auto iniPath = args.value(QStringLiteral("--ini"));
    std::optional<IniStore> ini;
    if (iniPath) {
        if (!settingsReadable(*iniPath, &error)) return fail(error);
        ini.emplace(*iniPath);
    }
    const geodesy::GeodeticParameters base = geodesy::readGeodeticParameters(
        [&](std::string_view s, std::string_view k) -> std::optional<std::string> {
            if (!ini) return std::nullopt;
            const QString section = QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
            const QString key = QString::fromLatin1(k.data(), static_cast<qsizetype>(k.size()));
            if (!ini->hasKey(section, key)) return std::nullopt;
            return ini->readString(section, key).toStdString();
        });
    const auto filled = reg->fill(*code, transformation, base, &error);
    if (!filled) return fail(error);
    const geodesy::GeodeticParameters& p = filled->parameters;

    print(QStringLiteral("EPSG:%1 %2").arg(*code).arg(filled->crsName));
    print(QStringLiteral("transformation: %1")
              .arg(filled->transformationName.isEmpty() ? QStringLiteral("none (WGS 84)")
                                                        : filled->transformationName));
    for (const geodesy::GeodeticKey& k : geodesy::kGeodeticKeys) {
        const QString key = QString::fromLatin1(k.key.data(), static_cast<qsizetype>(k.key.size()));
        print(key + QLatin1Char('=') + QString::fromStdString(p.*k.field));
        if (ini) {
            ini->writeString(
                QString::fromLatin1(k.section.data(), static_cast<qsizetype>(k.section.size())),
                key, QString::fromStdString(p.*k.field));
        }
    }
    if (ini && !ini->save()) return fail(ini->errorString());
    return 0;
}

}  // namespace nivora::cli
