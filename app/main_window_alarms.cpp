// The alarm commands of the main window: the panel docked below the chart,
// its label in the status bar, and the Tools menu's entries.

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "app/alarm_panel.h"
#include "app/main_window.h"
#include "app/toolbar_icons.h"
#include "survey/realtime_survey.h"

namespace nivora {

void TFNav::addAlarmCommands(AlarmPanel& panel, QWidget* settings, QWidget* vertical) {
    alarmDock_ = new QDockWidget(QStringLiteral("Alarms"), this);
    alarmDock_->setObjectName(QStringLiteral("dAlarms"));
    alarmDock_->setWidget(&panel);
    addDockWidget(Qt::BottomDockWidgetArea, alarmDock_);
    alarmDock_->hide();
    // A raised alarm is seen: the panel comes up if it was put away.
    connect(&panel, &AlarmPanel::raised, alarmDock_, [this] { showAlarmDock(); });
    statusBar()->addPermanentWidget(panel.statusLabel());
    panel.statusLabel()->hide();

    addAction("aAlarms", QStringLiteral("Alarms..."), IconId::Settings,
              [this] { showAlarmDock(); });
    addAction(
        "aAcknowledgeAlarms", QStringLiteral("Acknowledge All Alarms"), IconId::Settings,
        [this] { survey_.acknowledgeAllAlarms(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    addAction("aQualitySettings", QStringLiteral("Alarms and Timing..."), IconId::Settings,
              [this, settings] { showWindow(settings); });
    addAction("aVerticalSettings", QStringLiteral("Vertical Reduction..."), IconId::Settings,
              [this, vertical] { showWindow(vertical); });
    for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
        if (m->objectName() != QLatin1String("mTools")) continue;
        m->addSeparator();
        for (const char* name :
             {"aAlarms", "aAcknowledgeAlarms", "aQualitySettings", "aVerticalSettings"})
            m->addAction(action(QLatin1String(name)));
    }
}

void TFNav::showAlarmDock() {
    if (alarmDock_->isVisible()) return;
    alarmDock_->show();
    // About six rows high: the chart keeps most of the window.
    const int rowHeight = alarmDock_->fontMetrics().height() + 4;
    resizeDocks({alarmDock_}, {rowHeight * 9}, Qt::Vertical);
}

}  // namespace nivora
