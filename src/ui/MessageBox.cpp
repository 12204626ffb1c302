#include "MessageBox.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace wavora {
namespace {

std::mutex handlerLock; // guards handler(): messages may come from any thread's caller
MessageHandler& handler() {
    static MessageHandler instance;
    return instance;
}

MessageResult defaultHandler(MessageKind kind, std::string_view caption, std::string_view text) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return kind == MessageKind::Confirmation ? MessageResult::Yes : MessageResult::Ok;
}

} // namespace

MessageResult ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) {
    MessageHandler current;
    {
        const std::lock_guard lock(handlerLock);
        current = handler();
    }
    return current ? current(kind, caption, text) : defaultHandler(kind, caption, text);
}

MessageHandler SetMessageHandler(MessageHandler next) {
    const std::lock_guard lock(handlerLock);
    return std::exchange(handler(), std::move(next));
}

} // namespace wavora
