#pragma once

// The whole program on a scratch copy of the demo settings, in virtual time,
// with a way to answer the dialogs its commands open.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/program.h"
#include "core/clock.h"
#include "core/ini_store.h"
#include "tests/support/test_support.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {

// The demo settings with the day folders in `dir`.
inline QString demoIni(const QTemporaryDir& dir, const QByteArray& extra = {}) {
    const QString path = dir.filePath(QStringLiteral("NivoraDW.INI"));
    QByteArray ini = readFile(QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/NivoraDW.INI"));
    const QByteArray folder =
        QByteArray("[APPLICATION]\nDataFolder=") + dir.filePath(QStringLiteral("NWL/")).toUtf8();
    ini.replace("[APPLICATION]", folder);
    writeFile(path, ini + extra);
    return path;
}

// Answers the next modal dialog: a message box with `button`, a file
// dialog with `file` (empty: cancelled). Records what it saw.
struct DialogAnswer {
    QString title, text;
    bool seen = false;
};
// Looks for the dialog every few milliseconds; each look schedules the next
// as a copy of itself, so nothing is left behind once it has answered.
struct DialogPoller {
    std::shared_ptr<DialogAnswer> seen;
    QMessageBox::StandardButton button;
    QString file;
    void operator()() const {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            QTimer::singleShot(10, *this);
            return;
        }
        seen->seen = true;
        seen->title = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen->text = box->text();
            box->button(button) ? box->button(button)->click() : box->reject();
        } else if (auto* fd = qobject_cast<QFileDialog*>(w)) {
            seen->text = fd->nameFilters().join(QStringLiteral(";;"));
            if (file.isEmpty()) {
                fd->reject();
            } else {
                fd->selectFile(file);
                QMetaObject::invokeMethod(fd, "accept");
            }
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            d->accept();
        }
    }
};
inline std::shared_ptr<DialogAnswer> answerNextDialog(QMessageBox::StandardButton button,
                                                      const QString& file = {}) {
    auto seen = std::make_shared<DialogAnswer>();
    QTimer::singleShot(0, DialogPoller{seen, button, file});
    return seen;
}

// The program over `ini`, in virtual time from 9:00 on 8 December 2026.
struct ProgramFixture {
    explicit ProgramFixture(const QString& ini, bool realtime = false)
        : vt(QDateTime(QDate(2026, 12, 8), QTime(9, 0))) {
        ProgramOptions o;
        o.iniPath = ini;
        o.realtime = realtime;
        program = std::make_unique<Program>(o, vt, vt);
        program->nav().setTerminate([this](int code) { terminated.push_back(code); });
        program->nav().setLauncher([this](const QString& p, const QStringList&) { launched << p; });
    }
    ~ProgramFixture() {
        // Hidden without the close sequence unless a test ran it.
        program.reset();
    }
    TFNav& nav() { return program->nav(); }
    RealtimeSurvey& survey() { return program->survey(); }
    ChartSession& chart() { return program->chart(); }

    VirtualTime vt;
    std::unique_ptr<Program> program;
    std::vector<int> terminated;
    QStringList launched;
};

}  // namespace nivora::test
