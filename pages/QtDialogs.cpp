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
                                     QString::fromStdString(path), QString::fromStdString(filter));
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

bool TQtDialogs::SaveFileName(const std::string& title, const std::string& filter,
                              const std::string& defaultExtension, std::string& path) {
    QFileDialog dialog(nullptr, QString::fromStdString(title), QString::fromStdString(path),
                       QString::fromStdString(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().front().toStdString();
    return true;
}
