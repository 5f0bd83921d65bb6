#include "platform/desktop/qt_file_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace tarvelo::platform {

QString qtFileFilter(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QStringList patterns = QString::fromStdString(f.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (auto& p : patterns) p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        parts << QStringLiteral("%1 (%2)").arg(QString::fromStdString(f.description), patterns.join(QLatin1Char(' ')));
    }
    return parts.join(QStringLiteral(";;"));
}

std::optional<std::string> QtFileDialog::openFile(const std::string& title, const std::vector<FileFilter>& filters,
                                                  const std::string& startFolder) {
    const QString chosen = QFileDialog::getOpenFileName(m_parent, QString::fromStdString(title),
                                                        QString::fromStdString(startFolder), qtFileFilter(filters));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

std::optional<std::string> QtFileDialog::saveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                                  const std::string& suggested) {
    const QString chosen = QFileDialog::getSaveFileName(m_parent, QString::fromStdString(title),
                                                        QString::fromStdString(suggested), qtFileFilter(filters));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

}  // namespace tarvelo::platform
