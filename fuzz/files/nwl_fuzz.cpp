// Layout file reading of any bytes (plain or after the magic). What was read
// is saved and read back: from the second generation on the file must not
// change, or a save would slowly alter a drawing.

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "canvas/canvas_document.h"
#include "files/nwl_file.h"

namespace {

bool load(const QByteArray& bytes, nivora::CanvasDocument& doc, std::size_t maxBody,
          std::int64_t maxShapes = nivora::LoadBudget::forThisComputer().maxShapes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    nivora::NwlReader reader(false, maxBody);
    nivora::LoadBudget budget = reader.budget();
    budget.maxShapes = maxShapes;
    reader.setBudget(budget);
    return reader.read(buffer, doc);
}

QByteArray bodyOf(const nivora::CanvasDocument& doc) {
    const std::string body = nivora::NwlWriter::body(doc, QDateTime());
    return QByteArray(body.data(), static_cast<qsizetype>(body.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nivora::CanvasDocument first;
    // Small ceilings first: a few fuzzed bytes can inflate to gigabytes.
    if (!load(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), first,
              8u << 20, 200000)) {
        return 0;
    }
    const QByteArray once = bodyOf(first);
    nivora::CanvasDocument second;
    if (!load(once, second, nivora::NwlReader::kMaxBody)) std::abort();
    const QByteArray twice = bodyOf(second);
    nivora::CanvasDocument third;
    if (!load(twice, third, nivora::NwlReader::kMaxBody)) std::abort();
    if (bodyOf(third) != twice) std::abort();
    return 0;
}
