#include "config/ui/config_widgets.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
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

constexpr int kCustomRole = Qt::UserRole + 1;

}  // namespace

QIcon colourSwatch(TColor c) {
    QPixmap p(16, 12);
    p.fill(toQColor(c));
    QPainter painter(&p);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(p);
}

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
        addItem(colourSwatch(n.colour), QString::fromLatin1(n.name),
                QVariant::fromValue<uint>(n.colour));
    }
    if (current < 0) {
        current = count();
        addItem(colourSwatch(colour_),
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
QString QtOperatorPrompts::chooseOpenFile(const QString& title, const QString& filter,
                                          const QString& folder) {
    return QFileDialog::getOpenFileName(dialogParent(), title, folder, filter);
}

// ---- Placement ----

namespace {

const QScreen* screenFor(const QWidget& window, const QRect& rect) {
    if (const QScreen* s = QGuiApplication::screenAt(rect.center())) return s;
    return window.screen() ? window.screen() : QGuiApplication::primaryScreen();
}

QRect availableArea(const QScreen* screen) {
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The window's frame above its client area (its title bar), when the
// window system has told it; nothing before the first show.
int titleBarHeight(const QWidget& window) {
    return std::max(0, window.geometry().top() - window.frameGeometry().top());
}

// Moved, and shrunk when it is larger, to lie within `area` with its title
// bar, so that every edge can be reached.
QRect keptOnScreen(QRect r, const QRect& area, int titleBar) {
    const QRect room = area.adjusted(0, titleBar, 0, 0);
    r.setWidth(std::min(r.width(), room.width()));
    r.setHeight(std::min(r.height(), room.height()));
    r.moveLeft(std::clamp(r.left(), room.left(), room.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), room.top(), room.bottom() - r.height() + 1));
    return r;
}

// A first start: the main window fills most of its screen, any other
// window opens over the window it belongs to (or the screen's middle).
QRect defaultPlacement(const QWidget& window) {
    const QRect area = availableArea(screenFor(window, window.geometry()));
    if (window.inherits("QMainWindow")) {
        return area.adjusted(area.width() / 40, area.height() / 40, -area.width() / 40,
                             -area.height() / 40);
    }
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    QRect r(QPoint(0, 0), window.size());
    r.moveCenter(owner ? owner->geometry().center() : area.center());
    return r;
}

}  // namespace

bool SaveWindowPlacement(const QWidget& window, const SettingsFile& settings, QString* error) {
    // A window never shown has no place of its own: it would be stored as
    // the 100 x 30 of a widget never laid out.
    if (!window.testAttribute(Qt::WA_WState_Created)) return true;
    WindowPlacement p;
    // The client area, as it is restored: a position that held the frame
    // once and the client the next time moved windows by a title bar at
    // every start. A maximised window keeps its normal place.
    const QRect normal =
        window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    p.WindowState = window.isMaximized()   ? WindowPlacement::kMaximized
                    : window.isMinimized() ? WindowPlacement::kMinimized
                                           : WindowPlacement::kNormal;
    p.Left = normal.x();
    p.Top = normal.y();
    p.Width = normal.width();
    p.Height = normal.height();
    p.Visible = window.isVisible() ? 1 : 0;
    const QString section = window.objectName();
    return settings.update([&](IniStore& ini) { writeWindowPlacement(ini, section, p); }, error);
}

void RestoreWindowPlacement(QWidget& window, const SettingsFile& settings) {
    const IniStore ini = settings.read();
    const QString section = window.objectName();
    const int titleBar = titleBarHeight(window);
    if (!ini.hasKey(section, QStringLiteral("Left")) ||
        !ini.hasKey(section, QStringLiteral("Top"))) {
        const QRect r = defaultPlacement(window);
        window.setGeometry(keptOnScreen(r, availableArea(screenFor(window, r)), titleBar));
        return;
    }
    const WindowPlacement stored =
        readWindowPlacement(ini, section, window.width(), window.height());
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
    const RestoredPlacement r = restorePlacement(stored, true, desktop);
    if (r.maximize) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    // A size below what the window needs (a window stored before it was
    // ever laid out) is not its size.
    const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
    QSize size(r.width.value_or(window.width()), r.height.value_or(window.height()));
    if (size.width() < least.width() || size.height() < least.height()) size = window.size();
    const QRect wanted(QPoint(r.left, r.top), size);
    window.setGeometry(keptOnScreen(wanted, availableArea(screenFor(window, wanted)), titleBar));
}

bool WindowWasVisible(const QWidget& window, const SettingsFile& settings) {
    return settings.read().readInteger(window.objectName(), QStringLiteral("Visible"), 0) != 0;
}

QLineEdit* namedLineEdit(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QHBoxLayout* saveCloseRow(QWidget& window, QLabel*& status, std::function<void()> save) {
    status = new QLabel(&window);
    status->setObjectName(QStringLiteral("lStatus"));
    status->setWordWrap(true);
    auto* saveButton = new QPushButton(QStringLiteral("Save"), &window);
    saveButton->setObjectName(QStringLiteral("bSave"));
    auto* close = new QPushButton(QStringLiteral("Close"), &window);
    close->setObjectName(QStringLiteral("bClose"));
    QObject::connect(saveButton, &QPushButton::clicked, &window, std::move(save));
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    auto* row = new QHBoxLayout;
    row->addWidget(status, 1);
    row->addWidget(saveButton);
    row->addWidget(close);
    return row;
}

}  // namespace nivora
