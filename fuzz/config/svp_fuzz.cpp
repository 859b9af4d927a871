// A sound velocity probe file through Extract, Average and Profile. The
// first line is the search pattern, the second Max Depth, byte 0 of the
// third the order and the answers to range warnings; the rest is the file.

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/svp_model.h"
#include "sensors/echosounder.h"

namespace {

std::string_view takeLine(std::string_view& rest) {
    const std::size_t nl = rest.find('\n');
    const std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nivora;
    static QTemporaryDir dir;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view pattern = takeLine(rest);
    const std::string_view maxDepth = takeLine(rest);
    const std::uint8_t flags = rest.empty() ? 0 : static_cast<std::uint8_t>(rest[0]);

    const QString probe = dir.filePath(QStringLiteral("probe.txt"));
    {
        QFile f(probe);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(rest.data(), static_cast<qint64>(rest.size()));
    }

    SvpModel m;
    QString error;
    if (!m.loadProbeFile(probe, &error)) return 0;
    m.searchString = QString::fromLatin1(pattern);
    m.maxDepth = QString::fromLatin1(maxDepth);
    m.setSvFirst((flags & 1) != 0);
    int asked = 0;
    m.extract([&](const QString&) { return ((flags >> 1) & 1) || ++asked < 3; },
              (flags & 4) ? Language::Turkish : Language::English);
    m.average();
    const QString stop = m.profile(Language::English);
    if (stop.isEmpty()) {
        int lines = 0;
        if (!m.maxDepthLines(&lines, &error) || m.column.size() != lines) std::abort();
        // The column is what the sounder corrects with: every line a velocity.
        for (double depth : {0.0, 0.4, 1.5, 1e6}) {
            QString why;
            if (!profileVelocity(m.column, depth, &why)) std::abort();
        }
    }

    // The memos beside the settings file come back as they were saved.
    const QString base = dir.filePath(QStringLiteral("NivoraDW"));
    if (m.saveMemoFiles(base, &error)) {
        SvpModel again;
        if (!again.loadMemoFiles(base, &error)) std::abort();
        if (again.extracted != m.extracted || again.averaged != m.averaged ||
            again.column != m.column)
            std::abort();
    }
    return 0;
}
