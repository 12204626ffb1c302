#include "MessageWindow.h"

#include <QCoreApplication>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace wavora {
namespace {

// The live windows by handle. Post looks a window up and queues the event under this lock, and
// a window leaves the table under it before it is destroyed, so a post never reaches a window
// being destroyed (Qt drops the events still queued for a deleted object).
struct WindowTable {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, TMessageWindow*> windows; // guarded by lock
    std::uintptr_t lastHandle = 0;                               // guarded by lock
};

WindowTable& table() {
    static WindowTable instance;
    return instance;
}

std::atomic<std::uint64_t> handOver{0}; // see TWindowMessage::Publish

HWND registerWindow(TMessageWindow* window) {
    WindowTable& t = table();
    const std::lock_guard guard(t.lock);
    const std::uintptr_t id = ++t.lastHandle;
    t.windows.emplace(id, window);
    return reinterpret_cast<HWND>(id);
}

} // namespace

TWindowMessage::TWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam)
    : QEvent(EventType()), Message(message), WParam(wParam), LParam(lParam) {}

TWindowMessage::~TWindowMessage() {
    // Also deleted unread, when its window goes first.
    Receive();
}

void TWindowMessage::Publish() {
    handOver.fetch_add(1, std::memory_order_release);
}

void TWindowMessage::Receive() {
    (void)handOver.load(std::memory_order_acquire);
}

QEvent::Type TWindowMessage::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TMessageWindow::TMessageWindow(Handler handler_, QObject* parent)
    : QObject(parent), handle(registerWindow(this)), handler(std::move(handler_)) {}

TMessageWindow::~TMessageWindow() {
    WindowTable& t = table();
    const std::lock_guard guard(t.lock);
    t.windows.erase(reinterpret_cast<std::uintptr_t>(handle));
}

bool TMessageWindow::Post(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    WindowTable& t = table();
    const std::lock_guard guard(t.lock);
    const auto found = t.windows.find(reinterpret_cast<std::uintptr_t>(window));
    if (found == t.windows.end()) {
        return false;
    }
    // Qt takes ownership of the event.
    auto* event = new TWindowMessage(message, wParam, lParam);
    TWindowMessage::Publish();
    QCoreApplication::postEvent(found->second, event);
    return true;
}

bool TMessageWindow::event(QEvent* e) {
    TWindowMessage::Receive();
    if (e->type() != TWindowMessage::EventType()) {
        return QObject::event(e);
    }
    const auto* m = static_cast<const TWindowMessage*>(e);
    if (handler) {
        handler(m->Message, m->WParam, m->LParam);
    }
    return true;
}

} // namespace wavora

// The host's export for plug-ins: executables that link this library export it.
extern "C" int PostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    return wavora::TMessageWindow::Post(hwnd, msg, wParam, lParam) ? 1 : 0;
}
