#pragma once

// The layout file (.nwl): the magic "NWL1" and one zlib stream whose
// inflated bytes are a line-oriented text of the world window, the layer
// names and the shapes. The same text stored plainly, without the magic,
// reads the same.

#include <QDateTime>
#include <functional>
#include <string>
#include <string_view>

#include "files/file_format.h"

namespace nivora {

inline constexpr char kNwlMagic[] = "NWL1";
inline constexpr char kNwlMaker[] = "Nivora Depthwright | https://www.nivora.example";

class NwlWriter final : public DrawingWriter {
  public:
    enum class Container { Compressed, PlainText };

    // `created` is the time written in the header (the local time of saving).
    explicit NwlWriter(Container container = Container::Compressed,
                       QDateTime created = QDateTime::currentDateTime());

    bool write(QIODevice& out, const CanvasDocument& doc) override;

    // The body text, handed to `sink` in pieces of a few hundred kilobytes;
    // stops early when the sink returns false.
    static bool writeBody(const CanvasDocument& doc, const QDateTime& created,
                          const std::function<bool(std::string_view)>& sink);
    static std::string body(const CanvasDocument& doc, const QDateTime& created);
    // "# Created on: 2026-12-07 16:07:31.45"
    static std::string createdLine(const QDateTime& created);

  private:
    Container container_;
    QDateTime created_;
};

class NwlReader final : public DrawingReader {
  public:
    // `append` false replaces the drawing; true adds to it. Bodies larger
    // than `maxBody` bytes, or than the budget's file size, are refused.
    explicit NwlReader(bool append, std::size_t maxBody = kMaxBody)
        : append_(append), maxBody_(maxBody) {}

    // Reads the body first: a device that cannot be read or a corrupt
    // compressed stream leaves the drawing as it was.
    bool read(QIODevice& in, CanvasDocument& doc) override;

    // Bodies larger than this are refused (a small file can inflate enormously).
    static constexpr std::size_t kMaxBody = std::size_t{1} << 30;

    // The text body of a stored file: inflated after the magic into
    // `storage`, otherwise the file's own bytes. False with a reason when the
    // compressed stream is corrupt or too large, and when a file without the
    // magic does not begin with a known record (another kind of file, or a
    // newer format).
    static bool extractBody(std::string_view file, std::string& storage, std::string_view& body,
                            std::string& error, std::size_t maxBody = kMaxBody);
    // True when the first line that is neither empty nor a comment is a known record.
    static bool startsWithRecord(std::string_view body);
    // False with a reason when the body holds more shapes or vertices than
    // the budget allows (layers count as shapes).
    static bool fitsBudget(std::string_view body, const LoadBudget& budget, QString& error);

    // Adds the records of a body to the drawing (no reset, no repaint).
    void parseBody(std::string_view body, CanvasDocument& doc);

  private:
    bool append_;
    std::size_t maxBody_;
};

}  // namespace nivora
