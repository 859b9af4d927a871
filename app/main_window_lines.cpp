// The survey-line commands of the main window. Their keys keep clear of the
// File, Zoom and event shortcuts and of the chart's own F2 and F3.

#include <QAction>
#include <QMenuBar>

#include "app/main_window.h"
#include "app/toolbar_icons.h"
#include "config/guidance_settings.h"
#include "config/settings_changes.h"
#include "survey/line_control.h"
#include "survey/realtime_survey.h"

namespace nivora {

void TFNav::addLineCommands(LineControl& lines, QWidget* list, QWidget* helmsman, QWidget* settings,
                            std::function<void()> pickOnChart, std::function<void()> saveGuidance) {
    GuidanceSettings& g = survey_.models().guidance;
    addAction("aLineList", QStringLiteral("Survey Lines..."), IconId::Runline,
              [this, list] { showWindow(list); });
    addAction(
        "aHelmsman", QStringLiteral("Helmsman Display..."), IconId::Navigation,
        [this, helmsman] { showWindow(helmsman); }, QKeySequence(Qt::CTRL | Qt::Key_H));
    addAction(
        "aLineStart", QStringLiteral("Start Line"), IconId::Follow, [&lines] { lines.startLine(); },
        QKeySequence(Qt::Key_F5));
    addAction(
        "aLineEnd", QStringLiteral("End Line"), IconId::NoFollow, [&lines] { lines.endLine(); },
        QKeySequence(Qt::Key_F6));
    addAction(
        "aLineSwap", QStringLiteral("Swap Line Direction"), IconId::Runline,
        [&lines] { lines.swapActive(); }, QKeySequence(Qt::Key_F7));
    addAction(
        "aLinePrevious", QStringLiteral("Previous Line"), IconId::Runline,
        [&lines] { lines.previous(); }, QKeySequence(Qt::Key_F8));
    addAction(
        "aLineNext", QStringLiteral("Next Line"), IconId::Runline, [&lines] { lines.next(); },
        QKeySequence(Qt::Key_F9));
    addAction(
        "aLineClosest", QStringLiteral("Closest Line"), IconId::Runline,
        [&lines] { lines.closest(); }, QKeySequence(Qt::SHIFT | Qt::Key_F9));
    addAction("aLinePick", QStringLiteral("Pick Line on Chart"), IconId::ShapeSelect,
              std::move(pickOnChart));
    addAction("aGuidanceSettings", QStringLiteral("Guidance Settings..."), IconId::Settings,
              [this, settings] { showWindow(settings); });
    addAction("aLineMark", QStringLiteral("Mark Selected as Survey Lines"), IconId::Runline,
              [&lines] { lines.markSelected(); });
    QAction* autoRun = addAction("aLineAuto", QStringLiteral("Start and End Lines Automatically"),
                                 IconId::Runline, [] {});
    QAction* autoNext = addAction("aLineAutoNext", QStringLiteral("Next Line When One Is Done"),
                                  IconId::Runline, [] {});
    for (QAction* a : {autoRun, autoNext}) {
        a->setIcon(QIcon());
        a->setCheckable(true);
    }
    autoRun->setChecked(g.autoStart && g.autoEnd);
    autoNext->setChecked(g.nextLineRule() != NextLineRule::None);
    connect(autoRun, &QAction::toggled, this, [&g, saveGuidance](bool on) {
        if (on == (g.autoStart && g.autoEnd)) return;  // set to what it is, by the settings
        g.autoStart = g.autoEnd = on;
        saveGuidance();
    });
    connect(autoNext, &QAction::toggled, this, [&g, saveGuidance](bool on) {
        // On keeps a rule chosen in the settings (closest line); off is off.
        if (on == (g.nextLineRule() != NextLineRule::None)) return;
        g.nextLine = on ? static_cast<int>(NextLineRule::PlanOrder) : 0;
        saveGuidance();
    });
    // Changed in the settings window: the ticks follow.
    connect(&survey_.models().changes, &SettingsChanges::guidanceChanged, this,
            [&g, autoRun, autoNext] {
                autoRun->setChecked(g.autoStart && g.autoEnd);
                autoNext->setChecked(g.nextLineRule() != NextLineRule::None);
            });

    QMenu* menu = new QMenu(QStringLiteral("Lines"), this);
    menu->setObjectName(QStringLiteral("mLines"));
    for (const char* name : std::initializer_list<const char*>{
             "aLineList", "aHelmsman", nullptr, "aLineStart", "aLineEnd", "aLineSwap", nullptr,
             "aLinePrevious", "aLineNext", "aLineClosest", "aLinePick", nullptr, "aLineMark",
             nullptr, "aLineAuto", "aLineAutoNext", "aGuidanceSettings"}) {
        if (name)
            menu->addAction(action(QLatin1String(name)));
        else
            menu->addSeparator();
    }
    QAction* before = nullptr;
    for (QAction* a : menuBar()->actions()) {
        if (a->menu() && a->menu()->objectName() == QLatin1String("mWindow")) before = a;
    }
    menuBar()->insertMenu(before, menu);
}

}  // namespace nivora
