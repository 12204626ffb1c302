#include "AppDirectory.h"
#include "Application.h"
#include "SkinFrame.h"
#include "WidgetMessages.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wavora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Wavora"));
    app.setStyleSheet(wavora::TSkinFrame::dialogStyleSheet());
    wavora::InstallWidgetMessageHandler();

    wavora::TWavoraWindows windows(wavora::appDirectory());
    windows.show();
    return QApplication::exec();
}
