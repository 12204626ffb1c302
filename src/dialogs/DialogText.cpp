#include "DialogText.h"

#include "ID3v1.h"
#include "TagText.h"

#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <cmath>

namespace wavora {

std::string LengthText(double seconds) {
    const std::int64_t whole =
        std::isfinite(seconds) && seconds > 0 ? static_cast<std::int64_t>(seconds) : 0;
    const std::int64_t hours = whole / 3600;
    const std::int64_t minutes = whole / 60 % 60;
    const std::int64_t rest = whole % 60;
    auto two = [](std::int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    if (hours > 0) {
        return std::to_string(hours) + ":" + two(minutes) + ":" + two(rest);
    }
    return std::to_string(minutes) + ":" + two(rest);
}

std::string ByteCountText(std::int64_t bytes) {
    const std::string digits = std::to_string(bytes < 0 ? 0 : bytes);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped + " bytes";
}

namespace {

std::optional<std::size_t> GenreNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 3) {
        return std::nullopt;
    }
    std::size_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

} // namespace

std::string GenreDisplayName(std::string_view text) {
    std::string_view reference = text;
    std::string_view after;
    if (text.size() > 2 && text.front() == '(') {
        const std::size_t close = text.find(')');
        if (close == std::string_view::npos) {
            return std::string(text);
        }
        reference = text.substr(1, close - 1);
        after = TrimControl(text.substr(close + 1));
        if (reference == "RX" || reference == "CR") {
            return !after.empty() ? std::string(after) : reference == "RX" ? "Remix" : "Cover";
        }
    }
    const std::optional<std::size_t> number = GenreNumber(reference);
    if (!number || *number >= GenreCount) {
        return std::string(text);
    }
    // A refinement after the reference is the name the file gives; keep it.
    return !after.empty() ? std::string(after) : std::string(GenreNames.at(*number));
}

TrackEntry ParseTrackEntry(std::string_view text, std::uint32_t maximum) {
    text = TrimControl(text);
    if (text.empty()) {
        return {};
    }
    const std::string_view number = text.substr(0, text.find('/'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos) {
        return {TrackEntry::Kind::NotNumber, 0};
    }
    if (text.size() > number.size()) {
        const std::string_view total = text.substr(number.size() + 1);
        if (total.find_first_not_of("0123456789") != std::string_view::npos) {
            return {TrackEntry::Kind::NotNumber, 0};
        }
    }
    std::uint64_t value = 0;
    for (const char c : number) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > maximum) {
            return {TrackEntry::Kind::OutOfRange, 0};
        }
    }
    return {TrackEntry::Kind::Number, static_cast<std::uint32_t>(value)};
}

VendorLines SplitVendor(std::string_view vendor) {
    // Counted in characters, as the user reads them.
    const std::u32string text =
        QString::fromUtf8(vendor.data(), static_cast<qsizetype>(vendor.size())).toStdU32String();
    auto utf8 = [](std::u32string_view part) {
        return QString::fromStdU32String(std::u32string(part)).toStdString();
    };
    if (text.size() <= 24) {
        return {std::string(vendor), {}};
    }
    // p counts from 1; 0 when the text has no space.
    std::size_t p = 0;
    const std::size_t last = text.rfind(U' ', 24);
    if (last != std::u32string::npos) {
        p = last + 1;
    } else if (const std::size_t first = text.find(U' '); first != std::u32string::npos) {
        p = first + 1;
    }
    const std::u32string_view view(text);
    return {utf8(view.substr(0, p == 0 ? 0 : p - 1)), utf8(view.substr(p, 25))};
}

QString ShortenedFileName(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width) {
        return path;
    }
    QStringList parts = path.split(QLatin1Char('/'));
    const QString root = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    if (!root.isEmpty()) {
        parts.removeFirst();
    }
    while (parts.size() > 1) {
        parts.removeFirst();
        const QString candidate = root + QStringLiteral(".../") + parts.join(QLatin1Char('/'));
        if (metrics.horizontalAdvance(candidate) <= width || parts.size() == 1) {
            return metrics.elidedText(candidate, Qt::ElideRight, width);
        }
    }
    return metrics.elidedText(path, Qt::ElideRight, width);
}

} // namespace wavora
