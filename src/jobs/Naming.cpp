#include "Naming.h"

#include <algorithm>
#include <filesystem>

namespace wavora {
namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

} // namespace

std::string AddBackslash(std::string_view folder) {
    std::string text(folder);
    if (text.empty()) {
        std::error_code error;
        text = std::filesystem::current_path(error).string();
    }
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

std::string StripExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

void ReplacePlaceholder(std::string& text, std::string_view name, std::string_view value) {
    const std::string placeholder = '%' + std::string(name);
    std::size_t pos = 0;
    while (pos + placeholder.size() <= text.size()) {
        if (equalsIgnoringAsciiCase(std::string_view(text).substr(pos, placeholder.size()),
                                    placeholder)) {
            text.replace(pos, placeholder.size(), value);
            pos += value.size();
        } else {
            ++pos;
        }
    }
}

TrackTags FileNameTags(const std::string& path) {
    TrackTags tags;
    tags.title = StripExtension(SplitSourcePath(path).file);
    return tags;
}

std::string OutputName(const std::string& sourcePath, std::string_view sourceFileName,
                       std::string_view formatText, const NamingSettings& settings,
                       const TagReader& readTags, TrackTags& tags) {
    if (!settings.customFileNaming) {
        return StripExtension(sourceFileName) + '.' + std::string(formatText);
    }
    tags = readTags ? readTags(sourcePath) : FileNameTags(sourcePath);
    std::string name = settings.fileNaming;
    ReplacePlaceholder(name, "artist", tags.artist);
    ReplacePlaceholder(name, "album", tags.album);
    ReplacePlaceholder(name, "year", tags.year);
    ReplacePlaceholder(name, "title", tags.title);
    // A name "." or ".." would be the output folder itself or its parent.
    if (name == "." || name == "..") {
        name.insert(0, 1, '_');
    }
    return name + '.' + std::string(formatText);
}

SplitPath SplitSourcePath(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {{}, std::string(path)};
    }
    return {std::string(path.substr(0, slash + 1)), std::string(path.substr(slash + 1))};
}

} // namespace wavora
