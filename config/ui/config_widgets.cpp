#include "config/ui/config_widgets.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>
#include <array>

#include "config/window_placement.h"
#include "core/ini_store.h"
#include "core/number_text.h"
#include "core/settings_file.h"

namespace nivora {

// ---- TextSpinEdit ----

TextSpinEdit::TextSpinEdit(int minimum, int maximum, int step, QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(minimum), maximum_(maximum), step_(step) {
    // Room for the longest number of the range and the arrows.
    const QString widest = QString::number(maximum_).length() >= QString::number(minimum_).length()
                               ? QString::number(maximum_)
                               : QString::number(minimum_);
    setMinimumWidth(fontMetrics().horizontalAdvance(widest + QStringLiteral("00")) + 32);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!setting_) emit textEdited(t);
    });
}

QString TextSpinEdit::fieldText() const {
    return lineEdit()->text();
}

void TextSpinEdit::setFieldText(const QString& text) {
    if (lineEdit()->text() == text) return;
    setting_ = true;
    lineEdit()->setText(text);
    setting_ = false;
}

QValidator::State TextSpinEdit::validate(QString& input, int&) const {
    static const QRegularExpression kWhole(QStringLiteral("^[+-]?[0-9]*$"));
    return kWhole.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled TextSpinEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

void TextSpinEdit::stepBy(int steps) {
    const qint64 current = toInteger(fieldText()).value_or(minimum_);
    const qint64 next =
        std::clamp<qint64>(current + static_cast<qint64>(steps) * step_, minimum_, maximum_);
    lineEdit()->setText(QString::number(next));  // emits textEdited: an arrow is a user change
}

// ---- ColorBox ----

namespace {

struct NamedColour {
    const char* name;
    TColor colour;
};
constexpr std::array<NamedColour, 16> kNamedColours = {{
    {"Black", colors::Black},
    {"Maroon", colors::Maroon},
    {"Green", colors::Green},
    {"Olive", colors::Olive},
    {"Navy", colors::Navy},
    {"Purple", colors::Purple},
    {"Teal", colors::Teal},
    {"Gray", colors::Gray},
    {"Silver", colors::Silver},
    {"Red", colors::Red},
    {"Lime", colors::Lime},
    {"Yellow", colors::Yellow},
    {"Blue", colors::Blue},
    {"Fuchsia", colors::Fuchsia},
    {"Aqua", colors::Aqua},
    {"White", colors::White},
}};

QIcon swatch(TColor c) {
    QPixmap p(16, 12);
    p.fill(toQColor(c));
    QPainter painter(&p);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(p);
}

constexpr int kCustomRole = Qt::UserRole + 1;

}  // namespace

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent) {
    rebuild();
    connect(this, &QComboBox::activated, this, &ColorBox::chosen);
}

void ColorBox::rebuild() {
    const QSignalBlocker block(this);
    clear();
    int current = -1;
    for (const NamedColour& n : kNamedColours) {
        if (n.colour == colour_) current = count();
        addItem(swatch(n.colour), QString::fromLatin1(n.name), QVariant::fromValue<uint>(n.colour));
    }
    if (current < 0) {
        current = count();
        addItem(swatch(colour_),
                QStringLiteral("#%1").arg(colour_, 6, 16, QLatin1Char('0')).toUpper(),
                QVariant::fromValue<uint>(colour_));
    }
    addItem(QStringLiteral("Custom..."));
    setItemData(count() - 1, true, kCustomRole);
    setCurrentIndex(current);
}

void ColorBox::setColour(TColor colour) {
    colour_ = colour & 0xFFFFFFu;
    rebuild();
}

void ColorBox::chosen(int index) {
    TColor chosenColour = colour_;
    if (itemData(index, kCustomRole).toBool()) {
        const QColor c = QColorDialog::getColor(toQColor(colour_), this);
        if (!c.isValid()) {
            setColour(colour_);
            return;
        }
        chosenColour = fromQColor(c);
    } else {
        chosenColour = static_cast<TColor>(itemData(index).toUInt());
    }
    setColour(chosenColour);
    emit colourChosen(colour_);
}

// ---- Prompts ----

namespace {
QWidget* dialogParent() {
    return QApplication::activeWindow();
}
const QString kTitle = QStringLiteral("Nivora DW");
}  // namespace

void QtOperatorPrompts::showMessage(const QString& text) {
    QMessageBox::information(dialogParent(), kTitle, text);
}
void QtOperatorPrompts::showWarning(const QString& text) {
    QMessageBox::warning(dialogParent(), kTitle, text);
}
void QtOperatorPrompts::showError(const QString& text) {
    QMessageBox::critical(dialogParent(), kTitle, text);
}
bool QtOperatorPrompts::askOkCancel(const QString& text) {
    return QMessageBox::warning(dialogParent(), kTitle, text,
                                QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}
QString QtOperatorPrompts::chooseOpenFile(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(dialogParent(), title, QString(), filter);
}

// ---- Placement ----

bool SaveWindowPlacement(const QWidget& window, const SettingsFile& settings, QString* error) {
    WindowPlacement p;
    // A maximised window keeps its normal place for the next restore.
    const QRect normal =
        window.isMaximized() || window.isMinimized() ? window.normalGeometry() : QRect();
    p.WindowState = window.isMaximized()   ? WindowPlacement::kMaximized
                    : window.isMinimized() ? WindowPlacement::kMinimized
                                           : WindowPlacement::kNormal;
    p.Left = normal.isValid() ? normal.x() : window.x();
    p.Top = normal.isValid() ? normal.y() : window.y();
    p.Width = normal.isValid() ? normal.width() : window.width();
    p.Height = normal.isValid() ? normal.height() : window.height();
    const QString section = window.objectName();
    return settings.update([&](IniStore& ini) { writeWindowPlacement(ini, section, p); }, error);
}

void RestoreWindowPlacement(QWidget& window, const SettingsFile& settings, bool sizing) {
    const IniStore ini = settings.read();
    const WindowPlacement stored =
        readWindowPlacement(ini, window.objectName(), window.width(), window.height());
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
    const RestoredPlacement r = restorePlacement(stored, sizing, area);
    if (r.maximize) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    window.move(r.left, r.top);
    if (r.width || r.height)
        window.resize(r.width.value_or(window.width()), r.height.value_or(window.height()));
}

QLineEdit* namedLineEdit(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

}  // namespace nivora
