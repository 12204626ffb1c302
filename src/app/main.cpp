#include "Application.h"
#include "SkinFrame.h"
#include "WidgetMessages.h"
#include "ioplug.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <csignal>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int terminationFds[2] = {-1, -1}; // written by the signal handler, read on the UI thread

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationFds[0], &byte, 1);
}

sigset_t terminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

// SIGTERM and SIGINT (a session logging out, Ctrl+C) close the main window as the user
// does, so that the settings are saved on the way out. They are held back from the start
// of main until the application can take them.
void holdTermination() {
    const sigset_t set = terminationSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool terminationRequested = false; // user-interface thread only
QWidget* mainWindow = nullptr;      // the window to close on termination, once it exists

// Ends what is modal (a message box, a dialog), then the main window, so that the program
// ends even while it waits on a message box.
void terminate() {
    terminationRequested = true;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible()) {
            dialog->reject();
        }
    }
    if (mainWindow != nullptr) {
        mainWindow->close();
    }
    QCoreApplication::quit();
}

void endOnTermination(QApplication& app) {
    const sigset_t set = terminationSignals();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationFds) != 0) {
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    auto* notifier = new QSocketNotifier(terminationFds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(terminationFds[1], &byte, 1);
        terminate();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    holdTermination();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wavora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Wavora"));
    app.setStyleSheet(wavora::TSkinFrame::dialogStyleSheet());
    wavora::InstallWidgetMessageHandler();

    endOnTermination(app);

    // A message box of the start-up (a damaged options.dat) may take a termination; the
    // windows then close at once, writing options.dat.
    wavora::TWavoraWindows windows(wavora::AppDirectory());
    mainWindow = &windows.main();
    if (terminationRequested) {
        return 0;
    }
    windows.show();
    const int status = QApplication::exec();
    mainWindow = nullptr;
    return status;
}
