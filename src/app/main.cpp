#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Wavora"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Wavora"));
    window.show();
    return QApplication::exec();
}
