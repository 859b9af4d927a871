#include "app/about_box.h"

#include <zlib.h>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/toolbar_icons.h"

#ifndef NIVORA_VERSION
#define NIVORA_VERSION "0.0.0"
#endif

namespace nivora {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Nivora DW"));
    setModal(true);
    text_ =
        QStringLiteral(
            "<h2>Nivora Depthwright</h2>"
            "<p>Version %1</p>"
            "<p>Real-time single-beam hydrographic survey: GNSS and echosounder input, datum "
            "transformation and map projection, depth correction, chart, run lines and survey "
            "logs.</p>"
            "<p>Copyright &copy; 2026 the Nivora Depthwright developers. All rights reserved.</p>"
            "<p><b>Built with</b></p><ul>"
            "<li>Qt %2 (Core, Gui, Widgets, SerialPort), LGPL-3.0</li>"
            "<li>zlib %3, zlib licence</li>"
            "<li>SimpleIni, MIT licence</li>"
            "</ul><p>The icons are drawn for this program.</p>")
            .arg(QLatin1String(NIVORA_VERSION), QLatin1String(qVersion()),
                 QLatin1String(zlibVersion()));
    auto* icon = new QLabel(this);
    icon->setPixmap(nivoraIcon(IconId::Application).pixmap(64, 64));
    auto* label = new QLabel(text_, this);
    label->setObjectName(QStringLiteral("lAbout"));
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(label, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

QString AboutBox::text() const {
    return text_;
}

}  // namespace nivora
