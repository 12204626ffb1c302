#pragma once

#include "sdk/Winamp.h"

#include <QEvent>
#include <QObject>
#include <functional>

namespace wavora {

// Window messages of the host, with the numbers plug-ins and the player share.
inline constexpr unsigned WM_CLOSE = 0x10;
inline constexpr unsigned WM_QUIT = 0x12;

// One posted window message: the event that carries (message, wParam, lParam) to a
// TMessageWindow's thread.
class TWindowMessage final : public QEvent {
public:
    TWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam);
    ~TWindowMessage() override;
    TWindowMessage(const TWindowMessage&) = delete;
    TWindowMessage& operator=(const TWindowMessage&) = delete;

    // Called by the posting thread after construction and by the receiving thread before any
    // use: the message crosses threads inside Qt's queue, whose lock tools outside Qt cannot
    // see; this pairs a release with an acquire in the C++ memory model as well.
    static void Publish();
    static void Receive();

    [[nodiscard]] static QEvent::Type EventType();

    const unsigned Message;
    const WPARAM WParam;
    const LPARAM LParam;
};

// A hidden window: a QObject that receives posted messages on the thread it lives in and hands
// them to its handler there. Its Handle() is the opaque value given to plug-ins and to
// PostMessage; a handle is never reused within a process, so a message posted to a window that
// has gone is refused instead of reaching a newer one.
class TMessageWindow final : public QObject {
public:
    using Handler = std::function<LPARAM(unsigned message, WPARAM wParam, LPARAM lParam)>;

    explicit TMessageWindow(Handler handler, QObject* parent = nullptr);
    ~TMessageWindow() override;
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    [[nodiscard]] HWND Handle() const { return handle; }

    // Queues a message for the window with this handle; callable from any thread. False when
    // no such window exists.
    static bool Post(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);

protected:
    bool event(QEvent* e) override;

private:
    const HWND handle;
    const Handler handler; // runs on this object's thread only
};

} // namespace wavora
