#include "app/layer_manager.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "canvas/canvas_document.h"
#include "canvas/qt_color.h"
#include "config/ui/config_widgets.h"
#include "files/runlines.h"
#include "survey/chart_files.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"
#include "survey/standard_layers.h"

namespace nivora {
namespace {

constexpr int kCountsMs = 1000;
constexpr int kMaxWidth = 15;

QPushButton* button(const char* name, const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    return b;
}

}  // namespace

LayerManager::LayerManager(ChartSession& chart, QWidget* parent) : QWidget(parent), chart_(chart) {
    setObjectName(QStringLiteral("LayerManager"));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("tvLayers"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setColumnCount(Columns);
    list_->setHeaderLabels({QStringLiteral("Layer"), QString(), QStringLiteral("Width"),
                            QStringLiteral("Lock"), QStringLiteral("Shapes")});
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    for (int c = Colour; c < Columns; ++c)
        list_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    list_->setToolTip(
        QStringLiteral("Top of the list: drawn on top. The survey's own layers are in italics."));

    zoom_ = button("bZoomLayer", QStringLiteral("Zoom To"),
                   QStringLiteral("Fit the view to the layer"), this);
    front_ = button("bLayerFront", QStringLiteral("To Front"),
                    QStringLiteral("Draw the layer over all others"), this);
    back_ = button("bLayerBack", QStringLiteral("To Back"),
                   QStringLiteral("Draw the layer under all others"), this);
    colour_ = button("bLayerColour", QStringLiteral("Colour..."),
                     QStringLiteral("Recolour the layer and its shapes"), this);
    width_ = new QSpinBox(this);
    width_->setObjectName(QStringLiteral("seLayerWidth"));
    width_->setRange(1, kMaxWidth);
    width_->setPrefix(QStringLiteral("Width "));
    width_->setToolTip(QStringLiteral("Line width of the layer's shapes"));
    remove_ = button("bRemoveLayer", QStringLiteral("Remove"),
                     QStringLiteral("Remove the layer and its shapes"), this);
    undo_ = button("bUndoImport", QStringLiteral("Undo Import"), QString(), this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lLayerStatus"));
    status_->setWordWrap(true);

    // Three to a row, so that the dock stays narrow beside the chart.
    auto* buttons = new QGridLayout;
    QWidget* const order[] = {zoom_, front_, back_, colour_, width_, remove_, undo_};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(order[i], i / 3, i % 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    layout->addWidget(status_);

    chooseColour_ = [this](const QColor& start) {
        return QColorDialog::getColor(start, this, QStringLiteral("Layer Colour"));
    };
    connect(list_, &QTreeWidget::itemChanged, this, &LayerManager::itemChanged);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { currentChanged(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { zoomToLayer(currentLayer()); });
    connect(zoom_, &QPushButton::clicked, this, [this] { zoomToLayer(currentLayer()); });
    connect(front_, &QPushButton::clicked, this, [this] { toFront(currentLayer()); });
    connect(back_, &QPushButton::clicked, this, [this] { toBack(currentLayer()); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeLayer(currentLayer()); });
    connect(colour_, &QPushButton::clicked, this, [this] {
        const TNLayer* layer = chart_.document().FindLayer(currentLayer());
        if (!layer) return;
        const QColor chosen = chooseColour_(toQColor(layer->PenFg));
        if (chosen.isValid()) setColour(layer->Id(), chosen);
    });
    connect(width_, &QSpinBox::valueChanged, this, [this](int width) {
        if (!filling_) setWidth(currentLayer(), width);
    });
    connect(undo_, &QPushButton::clicked, this, [this] {
        const QString file = chart_.files().lastImportName();
        if (chart_.files().undoImport())
            status_->setText(QStringLiteral("Import of %1 taken back.").arg(file));
    });
    connect(&chart_.files(), &ChartFiles::importsChanged, this, &LayerManager::refresh);
    connect(&chart_.files(), &ChartFiles::jobRunningChanged, this, &LayerManager::refresh);

    // Counts change with every track mark: read while the list is seen.
    counts_ = new QTimer(this);
    counts_->setInterval(kCountsMs);
    connect(counts_, &QTimer::timeout, this, &LayerManager::refresh);
    refresh();
}

void LayerManager::showEvent(QShowEvent* event) {
    refresh();
    counts_->start();
    QWidget::showEvent(event);
}

void LayerManager::hideEvent(QHideEvent* event) {
    counts_->stop();
    QWidget::hideEvent(event);
}

bool LayerManager::isSurveyLayer(int id) const {
    const TNLayer* layer = chart_.document().FindLayer(id);
    if (!layer) return false;
    static const QString* const kNames[] = {
        &layer_names::Default,     &layer_names::SelectPoly, &layer_names::Route,
        &layer_names::Grid,        &layer_names::TrackFix,   &layer_names::TrackNoFix,
        &layer_names::TrackFloat,  &layer_names::TempShape,  &layer_names::UserShape,
        &layer_names::EventNumber, &layer_names::Vessel,     &kRunlineLayerName};
    for (const QString* name : kNames) {
        if (layer->Name() == *name) return true;
    }
    return false;
}

int LayerManager::currentLayer() const {
    const QTreeWidgetItem* item = list_->currentItem();
    return item ? item->data(Name, Qt::UserRole).toInt() : -1;
}

void LayerManager::selectLayer(int id) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->data(Name, Qt::UserRole).toInt() == id) {
            list_->setCurrentItem(item);
            return;
        }
    }
}

void LayerManager::fillRow(QTreeWidgetItem& item, int id) {
    const CanvasDocument& doc = chart_.document();
    const TNLayer& layer = *doc.FindLayer(id);
    item.setData(Name, Qt::UserRole, id);
    item.setText(Name, layer.Name().isEmpty() ? QStringLiteral("(no name)") : layer.Name());
    item.setCheckState(Name, layer.Visible ? Qt::Checked : Qt::Unchecked);
    item.setIcon(Colour, colourSwatch(layer.PenFg));
    item.setText(Width, QString::number(layer.PenWidth));
    item.setCheckState(Locked, layer.Locked ? Qt::Checked : Qt::Unchecked);
    item.setText(Shapes, QString::number(doc.LayerShapeCount(id)));
    item.setTextAlignment(Shapes, Qt::AlignRight | Qt::AlignVCenter);
    // The survey's own layers in italics: shown and hidden like any other,
    // never removed.
    const bool survey = isSurveyLayer(id);
    QFont font = item.font(Name);
    font.setItalic(survey);
    item.setFont(Name, font);
    item.setToolTip(Name, survey ? QStringLiteral("The survey's own layer: it cannot be removed")
                                 : QStringLiteral("Tick to show, untick to hide"));
}

void LayerManager::refresh() {
    const CanvasDocument& doc = chart_.document();
    const auto& layers = doc.Layers();
    const int current = currentLayer();
    filling_ = true;
    // The same layers in the same order: only the rows' values change, so a
    // click in progress is not lost to a rebuilt list.
    bool same = list_->topLevelItemCount() == static_cast<int>(layers.size());
    for (int i = 0; same && i < list_->topLevelItemCount(); ++i) {
        const TNLayer& layer = *layers[layers.size() - 1 - static_cast<std::size_t>(i)];
        same = list_->topLevelItem(i)->data(Name, Qt::UserRole).toInt() == layer.Id();
    }
    if (!same) {
        list_->clear();
        for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
            auto* item = new QTreeWidgetItem(list_);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            fillRow(*item, (*it)->Id());
        }
        selectLayer(current);
    } else {
        for (int i = 0; i < list_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list_->topLevelItem(i);
            fillRow(*item, item->data(Name, Qt::UserRole).toInt());
        }
    }
    filling_ = false;
    currentChanged();
}

void LayerManager::currentChanged() {
    const int id = currentLayer();
    const TNLayer* layer = chart_.document().FindLayer(id);
    const bool busy = chart_.files().jobRunning();
    for (QWidget* w :
         {static_cast<QWidget*>(zoom_), static_cast<QWidget*>(front_), static_cast<QWidget*>(back_),
          static_cast<QWidget*>(colour_), static_cast<QWidget*>(width_)})
        w->setEnabled(layer != nullptr && !busy);
    remove_->setEnabled(layer != nullptr && !isSurveyLayer(id) && !busy);
    remove_->setToolTip(layer && isSurveyLayer(id)
                            ? QStringLiteral("The survey's own layers cannot be removed")
                            : QStringLiteral("Remove the layer and its shapes"));
    if (layer) {
        const bool was = filling_;
        filling_ = true;
        width_->setValue(std::clamp(layer->PenWidth, 1, kMaxWidth));
        filling_ = was;
    }
    const QString last = chart_.files().lastImportName();
    undo_->setEnabled(!last.isEmpty() && !busy);
    undo_->setToolTip(last.isEmpty() ? QStringLiteral("No import to take back")
                                     : QStringLiteral("Take back the import of ") + last);
}

void LayerManager::itemChanged(QTreeWidgetItem* item, int column) {
    if (filling_ || !item) return;
    const int id = item->data(Name, Qt::UserRole).toInt();
    if (column == Name) setShown(id, item->checkState(Name) == Qt::Checked);
    if (column == Locked) setLocked(id, item->checkState(Locked) == Qt::Checked);
}

void LayerManager::changed() {
    chart_.document().Refresh();
    chart_.requestRepaint();
    refresh();
    emit layersChanged();
}

void LayerManager::setShown(int id, bool shown) {
    TNLayer* layer = chart_.document().FindLayer(id);
    if (!layer || layer->Visible == shown) return;
    layer->Visible = shown;
    changed();
}

void LayerManager::setLocked(int id, bool locked) {
    TNLayer* layer = chart_.document().FindLayer(id);
    if (!layer || layer->Locked == locked) return;
    layer->Locked = locked;
    // A locked layer's shapes are not picked, so none may stay selected.
    if (locked) chart_.document().LayerDeselectShapes(id);
    changed();
}

void LayerManager::setColour(int id, const QColor& colour) {
    if (!chart_.document().FindLayer(id) || !colour.isValid()) return;
    chart_.document().SetLayerPenFg(id, fromQColor(colour));
    changed();
}

void LayerManager::setWidth(int id, int width) {
    const TNLayer* layer = chart_.document().FindLayer(id);
    if (!layer || layer->PenWidth == width) return;
    chart_.document().SetLayerPenWidth(id, std::clamp(width, 1, kMaxWidth));
    changed();
}

bool LayerManager::zoomToLayer(int id) {
    CanvasDocument& doc = chart_.document();
    ShapeBounds box;
    if (!doc.LayerExtents(id, box)) {
        status_->setText(QStringLiteral("The layer has nothing to zoom to."));
        return false;
    }
    // A point or a straight line has no area: give it some room.
    constexpr double kMinSpanM = 50.0;
    const double cx = (box.MinX + box.MaxX) / 2.0;
    const double cy = (box.MinY + box.MaxY) / 2.0;
    const double hx = std::max(box.MaxX - box.MinX, kMinSpanM) / 2.0;
    const double hy = std::max(box.MaxY - box.MinY, kMinSpanM) / 2.0;
    chart_.setFollowVessel(false);
    doc.View.FitBox(cx - hx, cy - hy, cx + hx, cy + hy);
    changed();
    status_->clear();
    return true;
}

void LayerManager::toFront(int id) {
    if (!chart_.document().FindLayer(id)) return;
    chart_.document().LayerToFront(id);
    changed();
    selectLayer(id);
}

void LayerManager::toBack(int id) {
    if (!chart_.document().FindLayer(id)) return;
    chart_.document().LayerToBack(id);
    changed();
    selectLayer(id);
}

bool LayerManager::removeLayer(int id) {
    CanvasDocument& doc = chart_.document();
    const TNLayer* layer = doc.FindLayer(id);
    if (!layer || isSurveyLayer(id) || chart_.files().jobRunning()) return false;
    const QString name = layer->Name();
    const std::size_t count = doc.LayerShapeCount(id);
    if (!chart_.ask(
            QStringLiteral("Remove the layer \"%1\" and its %2 shapes?").arg(name).arg(count)))
        return false;
    doc.LayerRemove(id);
    chart_.survey().logs().AppendEventLog(
        QStringLiteral("Layer removed: %1 (%2 shapes)").arg(name).arg(count));
    status_->setText(QStringLiteral("Layer \"%1\" removed.").arg(name));
    changed();
    return true;
}

}  // namespace nivora
