#include "config/ui/offsets_window.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "config/svp_model.h"
#include "config/ui/config_widgets.h"
#include "core/clock.h"
#include "core/date_time_text.h"

namespace nivora {
namespace {

constexpr int kDoubleClickHeight = 410;

// The vessel in section: what A, B and C measure.
class VesselSketch : public QWidget {
  public:
    explicit VesselSketch(QWidget* parent) : QWidget(parent) { setFixedSize(220, 200); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const int water = 120;
        p.fillRect(0, water, width(), height() - water, QColor(200, 225, 245));
        p.setPen(QPen(QColor(30, 90, 160), 2));
        p.drawLine(0, water, width(), water);

        QPainterPath hull;
        hull.moveTo(20, 95);
        hull.lineTo(170, 95);
        hull.lineTo(150, 150);
        hull.lineTo(40, 150);
        hull.closeSubpath();
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(235, 235, 235));
        p.drawPath(hull);

        const int pole = 120;
        const int antenna = 25;
        const int transducer = 165;
        p.drawLine(pole, 95, pole, antenna);          // antenna pole
        p.drawLine(pole, 150, pole, transducer - 6);  // transducer pole
        p.setBrush(QColor(255, 200, 0));
        p.drawEllipse(QPoint(pole, antenna), 7, 7);  // antenna
        p.setBrush(QColor(80, 80, 80));
        p.drawRect(pole - 8, transducer - 6, 16, 10);  // transducer

        const auto dimension = [&p](int x, int y1, int y2, const QString& name) {
            p.setPen(QPen(Qt::darkRed, 1));
            p.drawLine(x, y1, x, y2);
            p.drawLine(x - 4, y1, x + 4, y1);
            p.drawLine(x - 4, y2, x + 4, y2);
            QFont f = p.font();
            f.setBold(true);
            p.setFont(f);
            p.drawText(x + 5, (y1 + y2) / 2 + 5, name);
        };
        dimension(150, water, transducer, QStringLiteral("A"));
        dimension(185, antenna, transducer, QStringLiteral("B"));
        dimension(75, antenna, water, QStringLiteral("C"));
    }
};

bool isNumberField(OffsetField f) {
    return f == OffsetField::OffsetA || f == OffsetField::OffsetB || f == OffsetField::OffsetC ||
           f == OffsetField::SV || f == OffsetField::TideHt;
}

}  // namespace

TOffsets::TOffsets(OffsetsModel& model, const SvpModel* svp, ConfigHost& host,
                   OperatorPrompts& prompts, const SettingsFile& settings, const Clock& clock,
                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      svp_(svp),
      host_(host),
      prompts_(prompts),
      settings_(settings),
      clock_(clock) {
    setObjectName(QStringLiteral("TOffsets"));
    setWindowTitle(QStringLiteral("Offsets Essential for Post Processing / Recovery"));

    auto* offsets = new QGroupBox(QStringLiteral("Offsets (m) and Sound Velocity (m/s)"), this);
    auto* offsetForm = new QFormLayout(offsets);
    offsetForm->addRow(QStringLiteral("A"), addField(OffsetField::OffsetA, "OffsetA"));
    offsetForm->addRow(QStringLiteral("B"), addField(OffsetField::OffsetB, "OffsetB"));
    offsetForm->addRow(QStringLiteral("C"), addField(OffsetField::OffsetC, "OffsetC"));
    offsetForm->addRow(QStringLiteral("SV"), addField(OffsetField::SV, "SV"));
    offsetForm->addRow(QStringLiteral("Tide Ht"), addField(OffsetField::TideHt, "TideHt"));

    auto* survey = new QGroupBox(QStringLiteral("Survey"), this);
    auto* surveyForm = new QFormLayout(survey);
    surveyForm->addRow(QStringLiteral("Location"), addField(OffsetField::Location, "Location"));
    surveyForm->addRow(QStringLiteral("Boat"), addField(OffsetField::SurveyBoat, "SurveyBoat"));
    surveyForm->addRow(QStringLiteral("Surveyor"), addField(OffsetField::Surveyor, "Surveyor"));

    time_ = new QLabel(this);
    time_->setObjectName(QStringLiteral("time"));
    auto* timeRow = new QFormLayout;
    timeRow->addRow(QStringLiteral("Date and Time (UTC)"), time_);

    auto* realtime = new QPushButton(QStringLiteral("Save && Go realtime"), this);
    realtime->setObjectName(QStringLiteral("Realtime"));
    realtime->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    bSVP_ = new QPushButton(QStringLiteral("Sound Velocity Profile"), this);
    bSVP_->setObjectName(QStringLiteral("bSVP"));
    connect(realtime, &QPushButton::clicked, this, &TOffsets::RealtimeClick);
    connect(cancel, &QPushButton::clicked, this, &TOffsets::CancelClick);
    connect(bSVP_, &QPushButton::clicked, this, [this] { host_.showProfileWindow(); });

    auto* fields = new QVBoxLayout;
    fields->addWidget(offsets);
    fields->addWidget(survey);
    fields->addLayout(timeRow);
    auto* top = new QHBoxLayout;
    top->addWidget(new VesselSketch(this), 0, Qt::AlignTop);
    top->addLayout(fields, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bSVP_);
    buttons->addStretch(1);
    buttons->addWidget(realtime);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &TOffsets::refreshTime);
    timer_->start();
    refreshTime();
    setProfileInUse(svp_ && svp_->profileInUse());
}

QLineEdit* TOffsets::addField(OffsetField f, const char* name) {
    QLineEdit* e = namedLineEdit(name, this);
    connect(e, &QLineEdit::textEdited, this, [this, f](const QString& t) { model_.setText(f, t); });
    if (isNumberField(f)) e->installEventFilter(this);
    fields_.insert(f, e);
    return e;
}

void TOffsets::syncFromModel() {
    for (auto it = fields_.cbegin(); it != fields_.cend(); ++it)
        it.value()->setText(model_.text(it.key()));
    time_->setText(model_.timeText);
}

void TOffsets::refreshTime() {
    model_.timeText = dateTimeText(clock_.now());
    time_->setText(model_.timeText);
}

void TOffsets::setProfileInUse(bool used) {
    bSVP_->setText(profileButtonCaption(used, host_.language()));
}

void TOffsets::RealtimeClick() {
    const RealtimeContext context{host_, prompts_, settings_, svp_ && svp_->profileInUse()};
    const OffsetsCheck check = confirmOffsetsAndStart(model_, context);
    if (!check.ok) {
        if (QLineEdit* e = fields_.value(check.focus)) e->setFocus();
        return;
    }
    QString error;
    if (!SaveWindowPlacement(*this, settings_, &error)) host_.reportError(error);
    close();
}

void TOffsets::CancelClick() {
    QString error;
    if (!SaveWindowPlacement(*this, settings_, &error)) host_.reportError(error);
    close();
}

void TOffsets::checkFieldExit(OffsetField f) {
    if (!isVisible()) return;
    const QString error = model_.fieldExitError(f);
    if (error.isEmpty()) return;
    exitCheckRunning_ = true;
    prompts_.showError(error);
    // Taking the focus back makes the next field lose it: that is not the
    // operator leaving it, so it is not checked.
    if (QLineEdit* e = fields_.value(f)) e->setFocus();
    exitCheckRunning_ = false;
}

bool TOffsets::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !exitCheckRunning_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window or a pop-up taking the focus is not leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (auto it = fields_.cbegin(); it != fields_.cend(); ++it) {
                if (it.value() != watched) continue;
                const OffsetField f = it.key();
                QTimer::singleShot(0, this, [this, f] { checkFieldExit(f); });
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TOffsets::showEvent(QShowEvent* event) {
    RestoreWindowPlacement(*this, settings_);
    syncFromModel();
    refreshTime();
    model_.windowVisible = true;
    QWidget::showEvent(event);
}

void TOffsets::hideEvent(QHideEvent* event) {
    model_.windowVisible = false;
    QWidget::hideEvent(event);
}

void TOffsets::closeEvent(QCloseEvent* event) {
    RestoreWindowPlacement(*this, settings_);
    QWidget::closeEvent(event);
}

void TOffsets::mouseDoubleClickEvent(QMouseEvent* event) {
    resize(width(), kDoubleClickHeight);
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace nivora
