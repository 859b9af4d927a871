#include "files/layout_files.h"

#include <QFile>
#include <QSaveFile>
#include <exception>
#include <new>

#include "canvas/canvas_document.h"
#include "core/interrupted_saves.h"
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

bool saveUnguarded(DrawingWriter& writer, const CanvasDocument& doc, const QString& name,
                   FileReport* report) {
    removeInterruptedSaves(name);
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

bool loadUnguarded(DrawingReader& reader, CanvasDocument& doc, const QString& name,
                   FileReport* report) {
    QFile file(name);
    if (!file.exists()) return fail(report, QStringLiteral("%1 does not exist").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(report, QStringLiteral("cannot read %1: %2").arg(name, file.errorString()));
    }
    const bool ok = reader.read(file, doc);
    fill(report, reader.report());
    return ok;
}

// The readers refuse what would not fit before they build anything; memory
// that runs out all the same (others took it meanwhile) still ends as a
// failed operation, never as an exception through the host.
QString exceptionText(const char* what, const QString& name, const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("not enough memory to %1 %2").arg(QLatin1String(what), name);
    return QStringLiteral("cannot %1 %2: %3")
        .arg(QLatin1String(what), name, QString::fromLocal8Bit(e.what()));
}

}  // namespace

bool loadWith(DrawingReader& reader, CanvasDocument& doc, const QString& name, FileReport* report) {
    try {
        return loadUnguarded(reader, doc, name, report);
    } catch (const std::exception& e) {
        return fail(report, exceptionText("read", name, e));
    } catch (...) {
        return fail(report, QStringLiteral("cannot read %1").arg(name));
    }
}

bool saveWith(DrawingWriter& writer, const CanvasDocument& doc, const QString& name,
              FileReport* report) {
    try {
        return saveUnguarded(writer, doc, name, report);
    } catch (const std::exception& e) {
        return fail(report, exceptionText("write", name, e));
    } catch (...) {
        return fail(report, QStringLiteral("cannot write %1").arg(name));
    }
}

bool CadSave(const CanvasDocument& doc, const QString& name, int, FileReport* report) {
    NwlWriter writer;
    return saveWith(writer, doc, name, report);
}

bool CadLoad(CanvasDocument& doc, const QString& name, int, int, int append, FileReport* report) {
    NwlReader reader(append != 0);
    return loadWith(reader, doc, name, report);
}

bool DXFLoad(CanvasDocument& doc, const QString& name, FileReport* report) {
    DxfReader reader;
    const bool ok = loadWith(reader, doc, name, report);
    // Every failure but a missing file has a text for the operator.
    if (!ok && report && report->message.isEmpty() && QFile::exists(name))
        report->message = QStringLiteral("DXF load failed: ") + report->error;
    return ok;
}

bool DXFSave(const CanvasDocument& doc, const QString& name, FileReport* report) {
    DxfWriter writer;
    return saveWith(writer, doc, name, report);
}

bool XYZLoad(CanvasDocument& doc, const QString& name, int layer, double zMin, double zMax,
             FileReport* report) {
    XyzReader reader(layer, zMin, zMax);
    return loadWith(reader, doc, name, report);
}

}  // namespace nivora
