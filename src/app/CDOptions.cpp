#include "CDOptions.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <unistd.h>
#include <variant>

namespace wavora {
namespace {

using Member = std::variant<std::string CDOptions::*, bool CDOptions::*, std::int32_t CDOptions::*>;

struct Property {
    std::string_view name;
    Member member;
};

// Declaration order, which is also the order in the file.
constexpr std::array<Property, 18> Properties{{
    {"InitialDir", &CDOptions::InitialDir},
    {"CurOutput", &CDOptions::CurOutput},
    {"CurFormat", &CDOptions::CurFormat},
    {"CustomFileNaming", &CDOptions::CustomFileNaming},
    {"FileNaming", &CDOptions::FileNaming},
    {"MP3v2Tag", &CDOptions::MP3v2Tag},
    {"ConstBitrate", &CDOptions::ConstBitrate},
    {"Bitrate", &CDOptions::Bitrate},
    {"Quality", &CDOptions::Quality},
    {"Mono", &CDOptions::Mono},
    {"AlphaBlendValue", &CDOptions::AlphaBlendValue},
    {"MenuAlphaBlend", &CDOptions::MenuAlphaBlend},
    {"MessageAlphaBlend", &CDOptions::MessageAlphaBlend},
    {"ControlAlphaBlend", &CDOptions::ControlAlphaBlend},
    {"SkinEffects", &CDOptions::SkinEffects},
    {"HintAlphaBlend", &CDOptions::HintAlphaBlend},
    {"AlphaBlendAnimation", &CDOptions::AlphaBlendAnimation},
    {"IfOutputExists", &CDOptions::IfOutputExists},
}};

constexpr std::string_view ClassName = "CDOptions";
constexpr std::string_view NewLine = "\r\n";
constexpr std::string_view ValueIndent = "    ";
constexpr std::size_t LineLength = 64;
constexpr std::uintmax_t MaxFileSize = 1 << 20;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isPlain(char c) {
    return static_cast<unsigned char>(c) >= 32 && c != '\'';
}

template <typename Int>
void appendNumber(std::string& out, Int value) {
    std::array<char, 24> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    static_cast<void>(error);
    out.append(digits.data(), end);
}

// Quoted runs and #codes, at most LineLength bytes a line, never splitting a UTF-8 sequence.
void appendString(std::string& out, std::string_view s) {
    if (s.empty()) {
        out += "''";
        return;
    }
    if (s.size() > LineLength) {
        out += NewLine;
        out += ValueIndent;
    }
    std::size_t i = 0;
    std::size_t lineStart = 0;
    while (i < s.size()) {
        bool lineBreak = false;
        if (isPlain(s[i])) {
            const std::size_t runStart = i;
            do {
                ++i;
            } while (i < s.size() && isPlain(s[i]) && i - lineStart < LineLength);
            if (i - lineStart >= LineLength) {
                lineBreak = true;
                while (i > runStart && i < s.size() && isContinuationByte(s[i])) {
                    --i;
                }
            }
            if (i > runStart) {
                out += '\'';
                out.append(s.substr(runStart, i - runStart));
                out += '\'';
            }
        } else {
            out += '#';
            appendNumber(out, static_cast<unsigned>(static_cast<unsigned char>(s[i])));
            ++i;
            lineBreak = i - lineStart >= LineLength;
        }
        if (lineBreak && i < s.size()) {
            out += " +";
            out += NewLine;
            out += ValueIndent;
            lineStart = i;
        }
    }
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The tolerant reader of the text form.
class Parser {
public:
    enum class Kind { End, Symbol, String, Integer, Float, Char };
    struct Token {
        Kind kind = Kind::End;
        std::string text;         // symbol name, string value or the character
        std::int64_t integer = 0; // Integer
        bool overflow = false;    // Integer out of 64 bits
        int line = 1;
    };

    explicit Parser(std::string_view text) : text_(text) {}

    // Throws ParseError (a line and a text) on a malformed token.
    Token next() {
        skipBlanks();
        Token token;
        token.line = line_;
        if (pos_ >= text_.size()) {
            return token;
        }
        const char c = text_[pos_];
        if (isIdentStart(c)) {
            token.kind = Kind::Symbol;
            const std::size_t start = pos_;
            while (pos_ < text_.size() &&
                   (isIdentStart(text_[pos_]) || isDigit(text_[pos_]) || text_[pos_] == '.')) {
                ++pos_;
            }
            token.text = text_.substr(start, pos_ - start);
        } else if (c == '\'' || c == '#') {
            token.kind = Kind::String;
            token.text = readString();
        } else if (isDigit(c) || c == '$' ||
                   ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                    (isDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
            readNumber(token);
        } else {
            token.kind = Kind::Char;
            token.text = std::string(1, c);
            ++pos_;
        }
        return token;
    }

    struct ParseError {
        int line;
        std::string text;
    };

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isHexDigit(char c) {
        return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }
    static bool isIdentStart(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    }

    void skipBlanks() {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= 32) {
            if (text_[pos_] == '\n') {
                ++line_;
            }
            ++pos_;
        }
    }

    std::string readString() {
        std::string value;
        while (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) {
            if (text_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\r' || text_[pos_] == '\n') {
                        throw ParseError{line_, "Unterminated string"};
                    }
                    if (text_[pos_] == '\'') {
                        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                            value += '\'';
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    value += text_[pos_++];
                }
            } else {
                ++pos_;
                const bool hex = pos_ < text_.size() && text_[pos_] == '$';
                if (hex) {
                    ++pos_;
                }
                const std::size_t start = pos_;
                while (pos_ < text_.size() &&
                       (hex ? isHexDigit(text_[pos_]) : isDigit(text_[pos_]))) {
                    ++pos_;
                }
                std::uint32_t code = 0;
                const auto [end, error] =
                    std::from_chars(text_.data() + start, text_.data() + pos_, code, hex ? 16 : 10);
                if (start == pos_ || error != std::errc{} || end != text_.data() + pos_ ||
                    code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
                    throw ParseError{line_, "Invalid character code in string"};
                }
                appendUtf8(value, code);
            }
        }
        return value;
    }

    void readNumber(Token& token) {
        const std::size_t start = pos_;
        bool negative = false;
        if (text_[pos_] == '-' || text_[pos_] == '+') {
            negative = text_[pos_] == '-';
            ++pos_;
        }
        const bool hex = text_[pos_] == '$';
        if (hex) {
            ++pos_;
        }
        const std::size_t digits = pos_;
        while (pos_ < text_.size() && (hex ? isHexDigit(text_[pos_]) : isDigit(text_[pos_]))) {
            ++pos_;
        }
        if (!hex && pos_ < text_.size() &&
            (text_[pos_] == '.' || text_[pos_] == 'e' || text_[pos_] == 'E')) {
            while (pos_ < text_.size() &&
                   (isDigit(text_[pos_]) || text_[pos_] == '.' || text_[pos_] == 'e' ||
                    text_[pos_] == 'E' || text_[pos_] == '-' || text_[pos_] == '+')) {
                ++pos_;
            }
            token.kind = Kind::Float;
            token.text = text_.substr(start, pos_ - start);
            return;
        }
        if (digits == pos_) {
            throw ParseError{line_, "Invalid number"};
        }
        token.kind = Kind::Integer;
        token.text = text_.substr(start, pos_ - start);
        std::uint64_t magnitude = 0;
        const auto [end, error] =
            std::from_chars(text_.data() + digits, text_.data() + pos_, magnitude, hex ? 16 : 10);
        static_cast<void>(end);
        if (error != std::errc{} || magnitude > std::uint64_t{1} << 62) {
            token.overflow = true;
            return;
        }
        token.integer =
            negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

std::string lineError(int line, std::string_view text) {
    std::string out = "Line ";
    appendNumber(out, line);
    out += ": ";
    out += text;
    return out;
}

std::string describe(const Parser::Token& token) {
    switch (token.kind) {
    case Parser::Kind::End:
        return "the end of the file";
    case Parser::Kind::String:
        return "a string";
    default:
        return '"' + token.text + '"';
    }
}

std::optional<std::string> readOptions(Parser& parser, CDOptions& options) {
    using Kind = Parser::Kind;
    Parser::Token token = parser.next();
    if (token.kind == Kind::End) {
        return lineError(token.line, "The file is empty");
    }
    if (token.kind != Kind::Symbol || !sameText(token.text, "object")) {
        return lineError(token.line, "\"object\" expected but " + describe(token) + " found");
    }
    token = parser.next();
    if (token.kind != Kind::Symbol) {
        return lineError(token.line, "Class name expected but " + describe(token) + " found");
    }
    token = parser.next();
    if (token.kind == Kind::Char && token.text == ":") { // "name: ClassName"
        token = parser.next();
        if (token.kind != Kind::Symbol) {
            return lineError(token.line, "Class name expected but " + describe(token) + " found");
        }
        token = parser.next();
    }
    for (;;) {
        if (token.kind == Kind::Symbol && sameText(token.text, "end")) {
            return std::nullopt;
        }
        if (token.kind != Kind::Symbol) {
            return lineError(token.line,
                             "Property name or \"end\" expected but " + describe(token) + " found");
        }
        const Property* property = nullptr;
        for (const auto& candidate : Properties) {
            if (sameText(candidate.name, token.text)) {
                property = &candidate;
            }
        }
        if (property == nullptr) {
            return lineError(token.line, "Property \"" + token.text + "\" does not exist");
        }
        const Parser::Token equals = parser.next();
        if (equals.kind != Kind::Char || equals.text != "=") {
            return lineError(equals.line, "\"=\" expected but " + describe(equals) + " found");
        }
        Parser::Token value = parser.next();
        const auto invalid = [&](std::string_view expected) {
            return lineError(value.line, "Invalid value for property \"" +
                                             std::string(property->name) +
                                             "\": " + std::string(expected) + " expected but " +
                                             describe(value) + " found");
        };
        token = parser.next();
        if (const auto* text = std::get_if<std::string CDOptions::*>(&property->member)) {
            if (value.kind != Kind::String) {
                return invalid("a string");
            }
            std::string joined = value.text;
            while (token.kind == Kind::Char && token.text == "+") {
                value = parser.next();
                if (value.kind != Kind::String) {
                    return invalid("a string");
                }
                joined += value.text;
                token = parser.next();
            }
            options.*(*text) = std::move(joined);
        } else if (const auto* flag = std::get_if<bool CDOptions::*>(&property->member)) {
            if (value.kind == Kind::Symbol && sameText(value.text, "True")) {
                options.*(*flag) = true;
            } else if (value.kind == Kind::Symbol && sameText(value.text, "False")) {
                options.*(*flag) = false;
            } else {
                return invalid("True or False");
            }
        } else {
            const auto number = std::get<std::int32_t CDOptions::*>(property->member);
            if (value.kind != Kind::Integer || value.overflow ||
                value.integer < std::numeric_limits<std::int32_t>::min() ||
                value.integer > std::numeric_limits<std::int32_t>::max()) {
                return invalid("a 32-bit integer");
            }
            options.*number = static_cast<std::int32_t>(value.integer);
        }
    }
}

} // namespace

std::string WriteOptionsText(const CDOptions& options) {
    std::string out = "object ";
    out += ClassName;
    out += NewLine;
    for (const auto& property : Properties) {
        std::string value;
        if (const auto* text = std::get_if<std::string CDOptions::*>(&property.member)) {
            if ((options.*(*text)).empty()) {
                continue;
            }
            appendString(value, options.*(*text));
        } else if (const auto* flag = std::get_if<bool CDOptions::*>(&property.member)) {
            value = options.*(*flag) ? "True" : "False";
        } else {
            const auto number = std::get<std::int32_t CDOptions::*>(property.member);
            if (number == &CDOptions::IfOutputExists && options.*number == 0) {
                continue;
            }
            appendNumber(value, options.*number);
        }
        out += "  ";
        out += property.name;
        out += " = ";
        out += value;
        out += NewLine;
    }
    out += "end";
    out += NewLine;
    return out;
}

std::optional<std::string> ReadOptionsText(std::string_view text, CDOptions& options) {
    Parser parser(text);
    try {
        return readOptions(parser, options);
    } catch (const Parser::ParseError& error) {
        return lineError(error.line, error.text);
    }
}

OptionsLoadResult LoadOptionsFile(const std::string& path, CDOptions& options) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return {};
    }
    const auto failed = [&](std::string_view reason) {
        return OptionsLoadResult{OptionsLoad::Failed,
                                 "Error reading \"" + path + "\". " + std::string(reason)};
    };
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        return failed(ec.message());
    }
    if (size > MaxFileSize) {
        return failed("The file is too large");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return failed(std::strerror(errno));
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return failed(std::strerror(errno));
    }
    if (auto error = ReadOptionsText(text, options)) {
        return failed(*error);
    }
    return {OptionsLoad::Loaded, {}};
}

std::optional<std::string> SaveOptionsFile(const std::string& path, const CDOptions& options) {
    const std::string text = WriteOptionsText(options);
    const std::string temporary = path + "~";
    const auto failed = [&](int code) {
        ::unlink(temporary.c_str());
        return "Cannot create file \"" + path + "\". " + std::strerror(code);
    };
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return "Cannot create file \"" + path + "\". " + std::strerror(errno);
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return failed(code);
        }
        written += static_cast<std::size_t>(n);
    }
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (synced != 0 || closed != 0) {
        return failed(synced != 0 ? synced : closed);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return failed(errno);
    }
    return std::nullopt;
}

} // namespace wavora
