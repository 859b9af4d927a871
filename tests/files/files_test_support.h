#pragma once

// Helpers shared by the drawing file tests.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <ostream>
#include <string>
#include <vector>

#include "canvas/canvas_document.h"
#include "files/dxf_reader.h"
#include "files/nwl_file.h"

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace nivora::test {

inline QByteArray bytesOf(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// Reads `bytes` with `reader` as if from a file.
inline bool readFrom(DrawingReader& reader, const QByteArray& bytes, CanvasDocument& doc) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return reader.read(buffer, doc);
}

inline QByteArray writeTo(DrawingWriter& writer, const CanvasDocument& doc) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer.write(buffer, doc)) << writer.report().error.toStdString();
    return buffer.data();
}

inline bool loadNwl(const QByteArray& bytes, CanvasDocument& doc, bool append = false) {
    NwlReader reader(append);
    return readFrom(reader, bytes, doc);
}

// A DXF import of `text`; the report of the reader is copied to `report`.
inline bool importDxf(const QByteArray& text, CanvasDocument& doc, FileReport* report = nullptr) {
    DxfReader reader;
    const bool ok = readFrom(reader, text, doc);
    if (report) *report = reader.report();
    return ok;
}

// The shapes in paint order.
inline std::vector<const TNShape*> shapesOf(const CanvasDocument& doc) {
    std::vector<const TNShape*> out;
    for (const TNShape& s : doc.Shapes())
        out.push_back(&s);
    return out;
}

template <class T>
const T& as(const TNShape* s) {
    return static_cast<const T&>(*s);
}

// An R12 drawing with only an ENTITIES section holding `entities`.
inline QByteArray dxfWithEntities(const std::string& entities, const std::string& before = {}) {
    return bytesOf(before + "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n");
}

// Runs Debian's ezdxf (an independent DXF reader) on `script` with the
// arguments; returns standard output, or fails the test.
std::string runPython(const QString& script, const QStringList& args, int* exitCode = nullptr);

}  // namespace nivora::test
