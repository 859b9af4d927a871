#pragma once

// The layer manager: the chart's layers in paint order (the top one drawn
// last) with their visibility, colour, line width, lock and shape count;
// zoom to a layer, bring it to the front or the back, remove it, and take
// the last import back. The survey's own layers (tracks, events, run lines,
// the vessel and the tools' layers) are marked and cannot be removed.
// Every change goes into the drawing, so the layout keeps it.

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace nivora {

class ChartSession;

class LayerManager : public QWidget {
    Q_OBJECT

  public:
    enum Column { Name, Colour, Width, Locked, Shapes, Columns };

    explicit LayerManager(ChartSession& chart, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {320, 420}; }

    // The layers read again from the drawing.
    void refresh();
    QTreeWidget* list() const { return list_; }
    // The layer of the current row; -1 for none.
    int currentLayer() const;
    void selectLayer(int id);
    // Layers the survey draws on or the tools need.
    bool isSurveyLayer(int id) const;

    // The commands, on the current layer (the buttons call them).
    void setShown(int id, bool shown);
    void setLocked(int id, bool locked);
    void setColour(int id, const QColor& colour);
    void setWidth(int id, int width);
    bool zoomToLayer(int id);
    void toFront(int id);
    void toBack(int id);
    // Asks first; false when refused, protected or unknown.
    bool removeLayer(int id);
    // How a colour is chosen (tests replace the dialog).
    void setColourChooser(std::function<QColor(const QColor&)> choose) {
        chooseColour_ = std::move(choose);
    }

  signals:
    void layersChanged();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void itemChanged(QTreeWidgetItem* item, int column);
    void currentChanged();
    void fillRow(QTreeWidgetItem& item, int id);
    void changed();

    ChartSession& chart_;
    QTreeWidget* list_ = nullptr;
    QPushButton* zoom_ = nullptr;
    QPushButton* front_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* colour_ = nullptr;
    QSpinBox* width_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* undo_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* counts_ = nullptr;
    bool filling_ = false;
    std::function<QColor(const QColor&)> chooseColour_;
};

}  // namespace nivora
