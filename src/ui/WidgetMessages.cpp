#include "WidgetMessages.h"

#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace wavora {

void InstallWidgetMessageHandler() {
    SetMessageHandler([](MessageKind kind, std::string_view caption, std::string_view text) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(
            QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        switch (kind) {
        case MessageKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageKind::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageKind::Confirmation:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageResult::Ok;
    });
}

} // namespace wavora
