// The main window's layer commands: the layer manager as a dock (Window
// menu) and the undo of the last import (Edit menu).

#include <QDockWidget>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "app/layer_manager.h"
#include "app/main_window.h"
#include "survey/chart_files.h"

namespace nivora {

void TFNav::addLayerCommands() {
    layers_ = new LayerManager(*chart_, this);
    layerDock_ = new QDockWidget(QStringLiteral("Layers"), this);
    layerDock_->setObjectName(QStringLiteral("dLayers"));
    layerDock_->setWidget(layers_);
    addDockWidget(Qt::RightDockWidgetArea, layerDock_);
    layerDock_->hide();

    QAction* show = layerDock_->toggleViewAction();
    show->setObjectName(QStringLiteral("aLayers"));
    show->setText(QStringLiteral("Layers"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    QWidget::addAction(show);
    QAction* undo = addAction(
        "aUndoImport", QStringLiteral("Undo Import"), IconId::Settings,
        [this] { chart_->files().undoImport(); }, QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setIcon(QIcon());
    const auto follow = [this, undo] {
        const QString last = chart_->files().lastImportName();
        undo->setText(last.isEmpty()
                          ? QStringLiteral("Undo Import")
                          : QStringLiteral("Undo Import of ") + QFileInfo(last).fileName());
        undo->setEnabled(!last.isEmpty() && !chart_->files().jobRunning());
    };
    connect(&chart_->files(), &ChartFiles::importsChanged, this, follow);
    connect(&chart_->files(), &ChartFiles::jobRunningChanged, this, follow);
    follow();

    for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
        if (m->objectName() == QLatin1String("mEdit")) {
            QAction* first = m->actions().value(0);
            m->insertAction(first, undo);
            m->insertSeparator(first);
        } else if (m->objectName() == QLatin1String("mWindow")) {
            m->addAction(show);
        }
    }
}

}  // namespace nivora
