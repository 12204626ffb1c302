#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wavora {

// Builds one JSON object on a single line. Strings are written as valid UTF-8 with every
// control character escaped; numbers locale-independently.
class JsonWriter {
public:
    void BeginObject(std::string_view key = {});
    void EndObject();
    void BeginArray(std::string_view key);
    void EndArray();
    void String(std::string_view key, std::string_view value);
    void Bool(std::string_view key, bool value);
    void Int(std::string_view key, std::int64_t value);
    void Double(std::string_view key, double value);
    [[nodiscard]] const std::string& Text() const { return out_; }

private:
    void Key(std::string_view key);
    void Quoted(std::string_view text);

    std::string out_;
    bool first_ = true;
};

} // namespace wavora
