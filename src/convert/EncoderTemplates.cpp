#include "EncoderTemplates.h"

#include <algorithm>
#include <charconv>

namespace wavora {
namespace {

std::string Decimal(int value) {
    std::array<char, 16> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return {text.data(), end};
}

// value / 10^decimals in the shortest form without binary residue: integer arithmetic only.
std::string FixedPointText(int value, int decimals) {
    int scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    std::string text = Decimal(value / scale);
    int fraction = value % scale;
    if (fraction == 0) {
        return text;
    }
    std::string digits = Decimal(fraction);
    digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
    while (digits.back() == '0') {
        digits.pop_back();
    }
    return text + '.' + digits;
}

int ClampQuality(int quality) {
    return std::clamp(quality, 0, 100);
}

} // namespace

std::string FormatTemplate(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string result;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' &&
            next != args.end()) {
            result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

std::string OggQualityText(int quality) {
    return FixedPointText(ClampQuality(quality), 1);
}

std::string LameVbrLevelText(int quality) {
    return FixedPointText(900 - 9 * ClampQuality(quality), 2);
}

std::string EncoderFileName(std::string_view name) {
    std::string result;
    if (name.starts_with('-')) {
        result = "./";
    }
    result += name;
    return result;
}

std::string QuoteInsideArgument(std::string_view text) {
    std::string result;
    std::size_t backslashes = 0;
    for (const char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // 2n+1 backslashes before a quote give n backslashes and a literal quote.
            result.append(backslashes * 2 + 1, '\\');
        } else {
            result.append(backslashes, '\\');
        }
        backslashes = 0;
        result += c;
    }
    // The template's closing quote follows: trailing backslashes must not escape it.
    result.append(backslashes * 2, '\\');
    return result;
}

std::string OggCommandLine(std::string_view outputName, const EncoderSettings& settings) {
    const std::string name = QuoteInsideArgument(outputName);
    if (settings.constBitrate) {
        const std::string rate = Decimal(OggBitrateKbps(settings));
        return FormatTemplate(EncoderTemplates[0], {name, rate});
    }
    return FormatTemplate(EncoderTemplates[4], {name, OggQualityText(settings.quality)});
}

std::string Mp3CommandLine(std::string_view outputName, const EncoderSettings& settings) {
    const std::string name = QuoteInsideArgument(outputName);
    if (settings.constBitrate) {
        return FormatTemplate(EncoderTemplates[1], {Decimal(settings.Bitrate()), name});
    }
    return FormatTemplate(EncoderTemplates[5], {LameVbrLevelText(settings.quality), name});
}

int OggBitrateKbps(const EncoderSettings& settings) {
    return std::max(settings.Bitrate(), 64);
}

int WmaBitrateKbps(const EncoderSettings& settings) {
    if (settings.constBitrate) {
        return settings.Bitrate();
    }
    const auto index =
        static_cast<std::size_t>((BitrateItems.size() - 1) * ClampQuality(settings.quality) / 100);
    return BitrateItems[index];
}

} // namespace wavora
