#include "JsonWriter.h"

#include "TagText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace wavora {

void JsonWriter::Key(std::string_view key) {
    if (!first_) {
        out_.push_back(',');
    }
    first_ = false;
    if (!key.empty()) {
        Quoted(key);
        out_.push_back(':');
    }
}

void JsonWriter::Quoted(std::string_view text) {
    static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                  '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    out_.push_back('"');
    for (const char c : SanitizeUtf8(text)) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out_ += "\\\"";
            break;
        case '\\':
            out_ += "\\\\";
            break;
        case '\n':
            out_ += "\\n";
            break;
        case '\r':
            out_ += "\\r";
            break;
        case '\t':
            out_ += "\\t";
            break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out_ += "\\u00";
                out_.push_back(kHex[u >> 4]);
                out_.push_back(kHex[u & 15]);
            } else {
                out_.push_back(c);
            }
        }
    }
    out_.push_back('"');
}

void JsonWriter::BeginObject(std::string_view key) {
    Key(key);
    out_.push_back('{');
    first_ = true;
}

void JsonWriter::EndObject() {
    out_.push_back('}');
    first_ = false;
}

void JsonWriter::BeginArray(std::string_view key) {
    Key(key);
    out_.push_back('[');
    first_ = true;
}

void JsonWriter::EndArray() {
    out_.push_back(']');
    first_ = false;
}

void JsonWriter::String(std::string_view key, std::string_view value) {
    Key(key);
    Quoted(value);
}

void JsonWriter::Bool(std::string_view key, bool value) {
    Key(key);
    out_ += value ? "true" : "false";
}

void JsonWriter::Int(std::string_view key, std::int64_t value) {
    Key(key);
    out_ += std::to_string(value);
}

void JsonWriter::Double(std::string_view key, double value) {
    Key(key);
    if (!std::isfinite(value)) {
        out_ += "null";
        return;
    }
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out_.append(buffer.data(), result.ptr);
}

} // namespace wavora
