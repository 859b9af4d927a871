#include "files/layout_files.h"

#include <QFile>
#include <QSaveFile>

#include "canvas/canvas_document.h"
#include "files/dxf_reader.h"
#include "files/dxf_writer.h"
#include "files/nwl_file.h"
#include "files/xyz_reader.h"

namespace nivora {
namespace {

void fill(FileReport* out, const FileReport& in) {
    if (out) *out = in;
}

bool fail(FileReport* out, const QString& error) {
    if (out) *out = FileReport{error, {}, {}, 0};
    return false;
}

bool load(DrawingReader& reader, CanvasDocument& doc, const QString& name, FileReport* report) {
    QFile file(name);
    if (!file.exists()) return fail(report, QStringLiteral("%1 does not exist").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(report, QStringLiteral("cannot read %1: %2").arg(name, file.errorString()));
    }
    const bool ok = reader.read(file, doc);
    fill(report, reader.report());
    return ok;
}

}  // namespace

bool saveWith(DrawingWriter& writer, const CanvasDocument& doc, const QString& name,
              FileReport* report) {
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(report, QStringLiteral("cannot write %1: %2").arg(name, file.errorString()));
    }
    if (!writer.write(file, doc)) {
        file.cancelWriting();
        fill(report, writer.report());
        return false;
    }
    if (!file.commit()) {
        return fail(report, QStringLiteral("cannot write %1: %2").arg(name, file.errorString()));
    }
    fill(report, writer.report());
    return true;
}

bool CadSave(const CanvasDocument& doc, const QString& name, int, FileReport* report) {
    NwlWriter writer;
    return saveWith(writer, doc, name, report);
}

bool CadLoad(CanvasDocument& doc, const QString& name, int, int, int append, FileReport* report) {
    NwlReader reader(append != 0);
    return load(reader, doc, name, report);
}

bool DXFLoad(CanvasDocument& doc, const QString& name, FileReport* report) {
    DxfReader reader;
    return load(reader, doc, name, report);
}

bool DXFSave(const CanvasDocument& doc, const QString& name, FileReport* report) {
    DxfWriter writer;
    return saveWith(writer, doc, name, report);
}

bool XYZLoad(CanvasDocument& doc, const QString& name, int layer, double zMin, double zMax,
             FileReport* report) {
    XyzReader reader(layer, zMin, zMax);
    return load(reader, doc, name, report);
}

}  // namespace nivora
