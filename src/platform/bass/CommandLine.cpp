#include "CommandLine.h"

namespace wbass {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inArgument)
                args.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            std::size_t n = 0;
            while (i < line.size() && line[i] == '\\') {
                ++n;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                current.append(n / 2, '\\');
                if (n % 2 == 1)
                    current.push_back('"');
                else
                    inQuotes = !inQuotes;
                ++i;
            } else {
                current.append(n, '\\');
            }
            continue;
        }
        if (c == '"')
            inQuotes = !inQuotes;
        else
            current.push_back(c);
        ++i;
    }
    if (inArgument)
        args.push_back(std::move(current));
    return args;
}

} // namespace wbass
