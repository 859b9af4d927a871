// NivoraDW: the survey program.

#include <QApplication>
#include <cstdio>

#include "app/program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NivoraDW"));
    QString error;
    const auto options = nivora::parseProgramOptions(QApplication::arguments(), &error);
    if (!options) {
        std::fprintf(stderr, "NivoraDW: %s\n%s\n", error.toLocal8Bit().constData(),
                     nivora::programUsage().toLocal8Bit().constData());
        return 2;
    }
    nivora::Program program(*options);
    program.start();
    return QApplication::exec();
}
