#include "app/theme_window.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/theme.h"

namespace nivora {

TfTheme::TfTheme(const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), settings_(settings) {
    setObjectName(QStringLiteral("TfTheme"));
    setWindowTitle(QStringLiteral("Theme Selection"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lbStyles"));
    list_->addItems(themeChoices());
    auto* save = new QPushButton(QStringLiteral("Save && Exit"), this);
    save->setObjectName(QStringLiteral("bSaveExit"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(save);
    resize(260, 320);
    connect(list_, &QListWidget::currentTextChanged, this, [](const QString& name) {
        if (!name.isEmpty()) applyTheme(name);
    });
    connect(save, &QPushButton::clicked, this, [this] { SaveAndExitClick(); });
}

void TfTheme::showEvent(QShowEvent* event) {
    const QList<QListWidgetItem*> items = list_->findItems(currentTheme(), Qt::MatchExactly);
    if (!items.isEmpty()) {
        const QSignalBlocker block(list_);
        list_->setCurrentItem(items.front());
    }
    QWidget::showEvent(event);
}

bool TfTheme::SaveAndExitClick(QString* error) {
    const QString name = currentTheme();
    const bool ok = settings_.update(
        [&name](IniStore& ini) {
            ini.writeString(QLatin1String(kSection), QLatin1String(kKey), name);
        },
        error);
    hide();
    return ok;
}

}  // namespace nivora
