#pragma once

#include "ioplug.h"

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace wavora::test {

// The process's application object, made on first use on the calling (main) thread.
inline QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "wavora-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs the main thread's events until done() holds or the time is up; answers done().
inline bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

// The folder the host loads plug-ins from when a test executable runs.
inline std::filesystem::path PluginFolder() {
    return AppDirectory() + "Plugins";
}

} // namespace wavora::test
