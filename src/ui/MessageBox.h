#pragma once

#include <functional>
#include <string_view>

namespace wavora {

enum class MessageKind { Information, Warning, Error, Confirmation };
enum class MessageResult { Ok, Cancel, Yes, No };

// Every modal message of the program goes through ShowMessage, so that tests can answer them
// without a window and headless tools can print them. Texts are UTF-8.
using MessageHandler =
    std::function<MessageResult(MessageKind kind, std::string_view caption, std::string_view text)>;

MessageResult ShowMessage(MessageKind kind, std::string_view caption, std::string_view text);

// Installs a handler and returns the previous one; an empty handler restores the default,
// which writes the message to standard error and answers Ok (or Yes for a confirmation).
MessageHandler SetMessageHandler(MessageHandler handler);

} // namespace wavora
