// Opens a chart of a million shapes in the main window and writes a picture
// of the progress dialog over it, for a look without a screen (not a test):
//   file_job_shot OUT.png

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QProgressDialog>
#include <cstdio>

#include "files/layout_files.h"
#include "tests/app/app_test_support.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("job.png");
    QTemporaryDir dir;
    const QString chart = dir.filePath(QStringLiteral("client_chart.nwl"));
    {
        nivora::CanvasDocument d;
        for (int i = 0; i < 1'000'000; ++i)
            d.DrawPoint(415200 + (i % 3000) * 3.0, 4540000 + (i / 3000) * 3.0, 0);
        if (!nivora::CadSave(d, chart)) return 1;
    }
    nivora::test::ProgramFixture f(nivora::test::demoIni(dir));
    f.program->start();
    QApplication::processEvents();
    nivora::TFNav& nav = f.nav();
    bool written = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QProgressDialog* d = nav.fileJobDialog().dialog();
        if (written || !d || !d->isVisible() || d->value() < 300) return;
        QPixmap picture = nav.grab();
        QPainter p(&picture);
        const QPixmap box = d->grab();
        p.drawPixmap((picture.width() - box.width()) / 2, (picture.height() - box.height()) / 2,
                     box);
        p.setPen(Qt::darkGray);
        p.drawRect(QRect((picture.width() - box.width()) / 2, (picture.height() - box.height()) / 2,
                         box.width() - 1, box.height() - 1));
        p.end();
        written = picture.save(out);
    });
    poll.start();
    auto open = nivora::test::answerNextDialog(QMessageBox::Ok, chart);
    nav.action(QStringLiteral("aOpen"))->trigger();
    nivora::test::waitForFileJob(nav.chart());
    std::printf("%s: %s, %d shapes\n", out.toLocal8Bit().constData(),
                written ? "written" : "not written", nav.canvas().Document().ShapeCount());
    return written ? 0 : 1;
}
