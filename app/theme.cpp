#include "app/theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace nivora {
namespace {

QString& platformStyle() {
    // The style the platform gave the program before any choice was made.
    static QString name = QApplication::style() ? QApplication::style()->name() : QString();
    return name;
}

QString& current() {
    static QString name = QLatin1String(kDefaultTheme);
    return name;
}

QPalette nightPalette() {
    // Dim greys and a deep red accent: readable, and no bright area.
    const QColor window(0x26, 0x28, 0x2b), base(0x1c, 0x1d, 0x1f), text(0xd0, 0xd0, 0xc8);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x78));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x32, 0x34, 0x38));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xff, 0x60, 0x50));
    p.setColor(QPalette::Highlight, QColor(0x8a, 0x2a, 0x22));
    p.setColor(QPalette::HighlightedText, QColor(0xf0, 0xe8, 0xe0));
    p.setColor(QPalette::Link, QColor(0xd0, 0x70, 0x60));
    p.setColor(QPalette::Light, QColor(0x40, 0x42, 0x46));
    p.setColor(QPalette::Midlight, QColor(0x36, 0x38, 0x3c));
    p.setColor(QPalette::Mid, QColor(0x2a, 0x2c, 0x30));
    p.setColor(QPalette::Dark, QColor(0x14, 0x15, 0x17));
    p.setColor(QPalette::Shadow, QColor(0x08, 0x08, 0x08));
    for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, r, QColor(0x6a, 0x6a, 0x66));
    }
    return p;
}

}  // namespace

QStringList themeChoices() {
    platformStyle();
    QStringList list{QLatin1String(kDefaultTheme)};
    list << QStyleFactory::keys();
    list << QLatin1String(kNightTheme);
    return list;
}

bool applyTheme(const QString& name) {
    const QString platform = platformStyle();
    QString styleName;
    bool night = false;
    if (name.isEmpty() || name == QLatin1String(kDefaultTheme)) {
        styleName = platform;
    } else if (name == QLatin1String(kNightTheme)) {
        styleName = QStringLiteral("Fusion");
        night = true;
    } else if (QStyleFactory::keys().contains(name, Qt::CaseInsensitive)) {
        styleName = name;
    } else {
        return false;
    }
    QStyle* style = QStyleFactory::create(styleName);
    if (!style) return false;
    QApplication::setStyle(style);
    QApplication::setPalette(night ? nightPalette() : style->standardPalette());
    current() = name.isEmpty() ? QLatin1String(kDefaultTheme) : name;
    return true;
}

QString currentTheme() {
    return current();
}

}  // namespace nivora
