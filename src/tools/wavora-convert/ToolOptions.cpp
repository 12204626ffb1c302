#include "ToolOptions.h"

#include "OutputFormat.h"

#include <algorithm>
#include <charconv>

namespace wavora {

std::optional<std::string> ParseToolOptions(const std::vector<std::string>& args,
                                            ToolOptions& options) {
    bool filesOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (filesOnly || arg == "-" || !arg.starts_with('-')) {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            filesOnly = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        // --name VALUE or --name=VALUE
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::string value;
        if (name != "--format" && name != "--output" && name != "--jobs" && name != "--existing") {
            return "unknown option " + arg;
        }
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return name + " needs a value";
        }
        if (name == "--format") {
            const auto format = OutputFormatFromText(value);
            if (!format) {
                return "unknown format \"" + value + "\" (ogg, mp3, wav or wma)";
            }
            options.format = OutputFormatText(*format);
        } else if (name == "--existing") {
            options.existing = ExistingOutputFromText(value);
            if (!options.existing) {
                return "--existing needs overwrite, skip or rename";
            }
        } else if (name == "--output") {
            if (value.empty()) {
                return "--output needs a folder";
            }
            options.output = value;
        } else {
            unsigned jobs = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), jobs);
            if (error != std::errc() || end != value.data() + value.size() || jobs == 0 ||
                jobs > 256) {
                return "--jobs needs a number from 1 to 256";
            }
            options.jobs = jobs;
        }
    }
    if (!options.help && options.files.empty()) {
        return "no files given";
    }
    return std::nullopt;
}

} // namespace wavora
