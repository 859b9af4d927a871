#include "app/survey_lines_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "survey/line_control.h"

namespace nivora {

SurveyLinesWindow::SurveyLinesWindow(LineControl& lines, QWidget* parent)
    : QWidget(parent, Qt::Tool), lines_(lines) {
    setObjectName(QStringLiteral("TSurveyLines"));
    setWindowTitle(QStringLiteral("Survey Lines"));
    resize(440, 420);
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName(QStringLiteral("gLines"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Line"), QStringLiteral("Length (m)"), QStringLiteral("Bearing")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(table_);
    auto* row = new QHBoxLayout;
    const auto button = [&](const QString& text, const char* name, auto&& run) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, run);
        row->addWidget(b);
    };
    button(QStringLiteral("Activate"), "bActivate",
           [this] { lines_.setActive(table_->currentRow()); });
    button(QStringLiteral("Swap"), "bSwap", [this] { lines_.swapActive(); });
    button(QStringLiteral("Mark Selected"), "bMark", [this] { lines_.markSelected(); });
    button(QStringLiteral("Close"), "bClose", [this] { close(); });
    layout->addLayout(row);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int r, int column) {
        if (column != 0) lines_.setActive(r);
    });
    connect(table_, &QTableWidget::cellChanged, this, [this](int r, int column) {
        if (filling_ || column != 0) return;
        lines_.rename(r, table_->item(r, 0)->text());
        reload();
    });
    connect(&lines, &LineControl::linesChanged, this, &SurveyLinesWindow::reload);
    connect(&lines, &LineControl::activeLineChanged, this, &SurveyLinesWindow::reload);
    reload();
}

void SurveyLinesWindow::reload() {
    filling_ = true;
    const auto& lines = lines_.lines();
    table_->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
        const SurveyLine& l = lines[static_cast<std::size_t>(r)];
        auto* name = new QTableWidgetItem(l.name);
        QFont f = name->font();
        f.setBold(r == lines_.activeIndex());
        name->setFont(f);
        table_->setItem(r, 0, name);
        for (int c = 1; c < 3; ++c) {
            auto* item = new QTableWidgetItem(c == 1 ? QString::number(l.length(), 'f', 1)
                                                     : QString::number(l.bearingDeg(), 'f', 1) +
                                                           QChar(0x00B0));
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table_->setItem(r, c, item);
        }
    }
    if (lines_.activeIndex() >= 0) table_->selectRow(lines_.activeIndex());
    filling_ = false;
}

}  // namespace nivora
