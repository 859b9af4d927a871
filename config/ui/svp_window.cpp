#include "config/ui/svp_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/ui/config_widgets.h"
#include "config/ui/svp_profile_view.h"
#include "core/ini_store.h"

namespace nivora {
namespace {

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

// A memo's text shows one line per entry; an empty memo has no lines.
QStringList editedLines(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

}  // namespace

TfSVP::TfSVP(SvpModel& model, ConfigHost& host, OperatorPrompts& prompts,
             const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      host_(host),
      prompts_(prompts),
      settings_(settings) {
    setObjectName(QStringLiteral("TfSVP"));
    setWindowTitle(QStringLiteral("Sound Velocity"));

    auto* load = button("bSVP", QStringLiteral("SVP"), this);
    eSearchString_ = namedLineEdit("eSearchString", this);
    eSearchString_->installEventFilter(this);
    eMaxDepth_ = namedLineEdit("eMaxDepth", this);
    rSVFirst_ = new QRadioButton(QStringLiteral("SV first"), this);
    rSVFirst_->setObjectName(QStringLiteral("rSVFirst"));
    rDFirst_ = new QRadioButton(QStringLiteral("Depth first"), this);
    rDFirst_->setObjectName(QStringLiteral("rDFirst"));
    // Loading may leave neither button set, as the settings file had them.
    rSVFirst_->setAutoExclusive(false);
    rDFirst_->setAutoExclusive(false);

    auto* pattern = new QGroupBox(QStringLiteral("Format Identifier for SV && P"), this);
    auto* patternForm = new QFormLayout(pattern);
    patternForm->addRow(eSearchString_);
    auto* order = new QHBoxLayout;
    order->addWidget(rSVFirst_);
    order->addWidget(rDFirst_);
    patternForm->addRow(order);
    patternForm->addRow(QStringLiteral("Max Depth"), eMaxDepth_);

    const auto memoGroup = [this](const QString& title, QPlainTextEdit* m) {
        auto* g = new QGroupBox(title, this);
        (new QVBoxLayout(g))->addWidget(m);
        return g;
    };
    profileView_ = new SvpProfileView(this);
    mRawSVData_ = memo("mRawSVData", &model_.rawData);
    mRawSVExtracted_ = memo("mRawSVExtracted", &model_.extracted);
    mSortedAveragedSV_ = memo("mSortedAveragedSV", &model_.averaged);
    mSVPColumn_ = memo("mSVPColumn", &model_.column);
    auto* extract = button("bRawToSVV", QStringLiteral("Extract >"), this);
    auto* average = button("bSVVtoAveragedSV", QStringLiteral("Average >"), this);
    auto* profile = button("bAveragedSVtoSVP", QStringLiteral("Profile >"), this);

    cUseSVP_ = new QCheckBox(QStringLiteral("Use Sound Velocity Profile"), this);
    cUseSVP_->setObjectName(QStringLiteral("cUseSVP"));
    bSaveClose_ = button("bSaveClose", QStringLiteral("Save && Close"), this);

    auto* memos = new QGridLayout;
    memos->addWidget(memoGroup(QStringLiteral("Source SVP Data"), mRawSVData_), 0, 0);
    memos->addWidget(extract, 0, 1, Qt::AlignVCenter);
    memos->addWidget(memoGroup(QStringLiteral("Raw SV values"), mRawSVExtracted_), 0, 2);
    memos->addWidget(average, 0, 3, Qt::AlignVCenter);
    memos->addWidget(memoGroup(QStringLiteral("Averaged SV Values"), mSortedAveragedSV_), 0, 4);
    memos->addWidget(profile, 0, 5, Qt::AlignVCenter);
    memos->addWidget(memoGroup(QStringLiteral("SV Column"), mSVPColumn_), 0, 6);
    auto* plot = new QGroupBox(QStringLiteral("Profile"), this);
    (new QVBoxLayout(plot))->addWidget(profileView_);
    memos->addWidget(plot, 0, 7);
    memos->setColumnStretch(0, 2);
    for (int c : {2, 4, 6})
        memos->setColumnStretch(c, 1);
    memos->setColumnStretch(7, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(load, 0, Qt::AlignTop);
    top->addWidget(pattern, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cUseSVP_);
    bottom->addStretch(1);
    bottom->addWidget(bSaveClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(memos, 1);
    layout->addLayout(bottom);
    resize(1120, 540);

    auto* defaults = new QAction(QStringLiteral("Defaults"), this);
    addAction(defaults);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(load, &QPushButton::clicked, this, &TfSVP::SVPClick);
    connect(extract, &QPushButton::clicked, this, &TfSVP::bRawToSVVClick);
    connect(average, &QPushButton::clicked, this, &TfSVP::bSVVtoAveragedSVClick);
    connect(profile, &QPushButton::clicked, this, &TfSVP::bAveragedSVtoSVPClick);
    connect(bSaveClose_, &QPushButton::clicked, this, &TfSVP::SaveAndCloseClick);
    connect(defaults, &QAction::triggered, this, &TfSVP::DefaultsClick);
    connect(eSearchString_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.searchString = t; });
    connect(eMaxDepth_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.maxDepth = t; });
    connect(rSVFirst_, &QRadioButton::clicked, this, [this] {
        model_.setSvFirst(true);
        syncFromModel();
    });
    connect(rDFirst_, &QRadioButton::clicked, this, [this] {
        model_.setDepthFirst(true);
        syncFromModel();
    });
    connect(cUseSVP_, &QCheckBox::clicked, this, [this](bool v) {
        model_.setUseSvp(v);
        emit profileInUseChanged(model_.profileInUse());
    });

    syncFromModel();
}

QString TfSVP::memoBase() const {
    // Where the model was created from, so the memos are saved where they were read.
    return settings_.companionBase();
}

QPlainTextEdit* TfSVP::memo(const char* name, QStringList* lines) {
    auto* m = new QPlainTextEdit(this);
    m->setObjectName(QLatin1String(name));
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The operator may correct a memo by hand (a missing 0 m velocity, say).
    connect(m, &QPlainTextEdit::textChanged, this, [this, m, lines] {
        if (syncing_) return;
        *lines = editedLines(m->toPlainText());
        refreshProfileView();
    });
    return m;
}

void TfSVP::syncFromModel() {
    syncing_ = true;
    const auto show = [](QPlainTextEdit* m, const QStringList& lines) {
        const QString text = lines.join(QLatin1Char('\n'));
        if (m->toPlainText() != text) m->setPlainText(text);
    };
    show(mRawSVData_, model_.rawData);
    show(mRawSVExtracted_, model_.extracted);
    show(mSortedAveragedSV_, model_.averaged);
    show(mSVPColumn_, model_.column);
    eSearchString_->setText(model_.searchString);
    eMaxDepth_->setText(model_.maxDepth);
    rSVFirst_->setChecked(model_.svFirst);
    rDFirst_->setChecked(model_.depthFirst);
    bSaveClose_->setEnabled(model_.saveEnabled);
    syncing_ = false;
    syncProfileBox();
    refreshProfileView();
}

void TfSVP::refreshProfileView() {
    profileView_->setProfile(svpProfileOf(model_));
}

void TfSVP::syncProfileBox() {
    const bool was = cUseSVP_->isChecked();
    cUseSVP_->setChecked(model_.useSvp);
    cUseSVP_->setEnabled(model_.useSvpEnabled);
    if (was != model_.useSvp) emit profileInUseChanged(model_.profileInUse());
}

void TfSVP::SVPClick() {
    const QString path = prompts_.chooseOpenFile(QStringLiteral("Sound Velocity File"),
                                                 QStringLiteral("Sound Velocity File [*.*] (*)"),
                                                 host_.profilesFolder());
    if (path.isEmpty()) return;
    QString error;
    if (!model_.loadProbeFile(path, &error)) prompts_.showError(error);
    syncFromModel();
}

void TfSVP::bRawToSVVClick() {
    const Language l = host_.language();
    model_.extract([this](const QString& text) { return prompts_.askOkCancel(text); }, l);
    syncFromModel();
}

void TfSVP::bSVVtoAveragedSVClick() {
    const QString error = model_.average();
    if (!error.isEmpty()) host_.reportError(error);
    syncFromModel();
}

void TfSVP::bAveragedSVtoSVPClick() {
    int lines = 0;
    QString error;
    if (!model_.maxDepthLines(&lines, &error)) {
        host_.reportError(error);
        return;
    }
    const QString message = model_.profile(host_.language());
    syncFromModel();
    if (!message.isEmpty()) prompts_.showMessage(message);
}

void TfSVP::SaveAndCloseClick() {
    host_.Save();
    QString error;
    if (!model_.saveMemoFiles(memoBase(), &error)) {
        prompts_.showError(error);
        return;
    }
    close();
}

void TfSVP::DefaultsClick() {
    model_.defaults();
    syncFromModel();
}

void TfSVP::showEvent(QShowEvent* event) {
    RestoreWindowPlacement(*this, settings_);
    // The models are shared: show what this one holds now.
    syncFromModel();
    QWidget::showEvent(event);
}

void TfSVP::closeEvent(QCloseEvent* event) {
    QString error;
    if (!settings_.update([this](IniStore& ini) { model_.save(ini); }, &error))
        host_.reportError(error);
    QWidget::closeEvent(event);
}

bool TfSVP::eventFilter(QObject* watched, QEvent* event) {
    if (watched == eSearchString_ && event->type() == QEvent::MouseButtonDblClick) {
        model_.resetPattern();
        syncFromModel();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace nivora
