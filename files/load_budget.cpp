#include "files/load_budget.h"

#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QtGlobal>
#include <algorithm>
#include <new>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace nivora {
namespace {

// When the system does not say, plan for a small office computer.
constexpr std::uint64_t kAssumedMemory = std::uint64_t{4} << 30;

QString sizeText(std::int64_t bytes) {
    if (bytes < (1 << 20)) return QStringLiteral("%1 bytes").arg(bytes);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString tooLarge(std::int64_t maxBytes) {
    return QStringLiteral("the file is too large: more than %1").arg(sizeText(maxBytes));
}

}  // namespace

std::uint64_t LoadBudget::physicalMemory() {
#if defined(Q_OS_WIN)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) return status.ullTotalPhys;
    return 0;
#elif defined(Q_OS_UNIX) && defined(_SC_PHYS_PAGES)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#else
    return 0;
#endif
}

LoadBudget LoadBudget::forMemory(std::uint64_t physicalBytes) {
    if (physicalBytes == 0) physicalBytes = kAssumedMemory;
    const auto share = static_cast<std::int64_t>(
        std::min<std::uint64_t>(physicalBytes / 4, static_cast<std::uint64_t>(INT64_MAX / 2)));
    LoadBudget b;
    b.maxShapes = std::max<std::int64_t>(1, share / 2 / kShapeBytes);
    b.maxVertices = std::max<std::int64_t>(1, share / 2 / kVertexBytes);
    b.maxFileBytes =
        std::min<std::int64_t>(kMaxFileBytes, static_cast<std::int64_t>(physicalBytes / 8));
    return b;
}

const LoadBudget& LoadBudget::forThisComputer() {
    static const LoadBudget budget = forMemory(physicalMemory());
    return budget;
}

QString LoadBudget::tooManyShapes() const {
    return QStringLiteral("the drawing is too large: more than %1 shapes").arg(maxShapes);
}

QString LoadBudget::tooManyVertices() const {
    return QStringLiteral("the drawing is too large: more than %1 polyline vertices")
        .arg(maxVertices);
}

bool readWithin(QIODevice& in, std::int64_t maxBytes, QByteArray& out, QString& error) {
    out.clear();
    if (!in.isReadable()) {
        error = QStringLiteral("the file cannot be read");
        return false;
    }
    try {
        if (!in.isSequential()) {
            if (in.size() - in.pos() > maxBytes) {
                error = tooLarge(maxBytes);
                return false;
            }
            out = in.readAll();
        } else {
            // A pipe does not say its length: read until one byte past the limit.
            constexpr qint64 kChunk = 1 << 20;
            for (;;) {
                const QByteArray piece = in.read(kChunk);
                if (piece.isEmpty()) break;
                if (out.size() + piece.size() > maxBytes) {
                    out.clear();
                    error = tooLarge(maxBytes);
                    return false;
                }
                out += piece;
            }
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        error = QStringLiteral("not enough memory to read the file");
        return false;
    }
    if (const auto* fd = qobject_cast<const QFileDevice*>(&in);
        fd && fd->error() != QFileDevice::NoError) {
        out.clear();
        error = QStringLiteral("cannot read the file: %1").arg(fd->errorString());
        return false;
    }
    return true;
}

}  // namespace nivora
