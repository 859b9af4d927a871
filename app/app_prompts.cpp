#include "app/app_prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace nivora {

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, also those without a dot.
        if (patterns == QLatin1String("*.*")) patterns = QStringLiteral("*");
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString withFilterExtension(const QString& name, const QString& chosenFilter) {
    if (!QFileInfo(name).suffix().isEmpty()) return name;
    const qsizetype open = chosenFilter.lastIndexOf(QLatin1Char('('));
    const QString first = chosenFilter.mid(open + 1).section(QLatin1Char(' '), 0, 0);
    if (open < 0 || !first.startsWith(QLatin1String("*.")) ||
        first.indexOf(QLatin1Char('*'), 1) >= 0)
        return name;
    return name + first.mid(1).remove(QLatin1Char(')'));
}

void WidgetPrompts::showMessage(const QString& text) {
    QMessageBox::information(parent_, QStringLiteral("Nivora DW"), text);
}

void WidgetPrompts::showWarning(const QString& text) {
    QMessageBox::warning(parent_, QStringLiteral("Nivora DW"), text);
}

void WidgetPrompts::showError(const QString& text) {
    QMessageBox::critical(parent_, QStringLiteral("Nivora DW"), text);
}

bool WidgetPrompts::askOkCancel(const QString& text) {
    return QMessageBox::warning(parent_, QStringLiteral("Nivora DW"), text,
                                QMessageBox::Ok | QMessageBox::Cancel,
                                QMessageBox::Cancel) == QMessageBox::Ok;
}

bool WidgetPrompts::askYesNo(const QString& text) {
    // No is the default: a stray Enter must not clear a day's tracks.
    return QMessageBox::warning(parent_, QStringLiteral("Nivora DW"), text,
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

QString WidgetPrompts::chooseOpenFile(const QString& title, const QString& filter,
                                      const QString& folder) {
    return QFileDialog::getOpenFileName(parent_, title, folder, qtFileFilter(filter));
}

QString WidgetPrompts::chooseSaveFile(const QString& title, const QString& filter,
                                      const QString& folder) {
    QString chosen;
    const QString name =
        QFileDialog::getSaveFileName(parent_, title, folder, qtFileFilter(filter), &chosen);
    return name.isEmpty() ? name : withFilterExtension(name, chosen);
}

}  // namespace nivora
