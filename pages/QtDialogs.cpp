#include "pages/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon IconOf(platform::MessageKind kind) {
    switch (kind) {
    case platform::MessageKind::Information:
        return QMessageBox::Information;
    case platform::MessageKind::Warning:
        return QMessageBox::Warning;
    case platform::MessageKind::Error:
        break;
    }
    return QMessageBox::Critical;
}
// Windows-style filters ("Text|*.txt|All|*.*") become Qt's ("Text (*.txt);;All (*)").
// Patterns are given in both cases, as Windows matches names without regard to case.
QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    if (parts.size() < 2)
        return QString::fromStdString(filter);
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (const int paren = description.indexOf('('); paren > 0)
            description = description.left(paren).trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed() == "*.*" ? QString("*") : p.trimmed();
            patterns << pattern;
            if (pattern.toUpper() != pattern)
                patterns << pattern.toUpper();
        }
        entries << QString("%1 (%2)").arg(description, patterns.join(' '));
    }
    return entries.join(";;");
}
} // namespace

void TQtDialogs::MessageBox(platform::MessageKind kind, const std::string& text,
                            const std::string& caption) {
    const std::string title = caption.empty() ? DefaultMessageCaption(kind) : caption;
    QMessageBox box(IconOf(kind), QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

bool TQtDialogs::OpenFileName(const std::string& title, const std::string& filter,
                              std::string& path) {
    QString chosen =
        QFileDialog::getOpenFileName(nullptr, QString::fromStdString(title),
                                     QString::fromStdString(path), QtFilter(filter));
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

bool TQtDialogs::SaveFileName(const std::string& title, const std::string& filter,
                              const std::string& defaultExtension, std::string& path) {
    QFileDialog dialog(nullptr, QString::fromStdString(title), QString::fromStdString(path),
                       QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().front().toStdString();
    return true;
}
