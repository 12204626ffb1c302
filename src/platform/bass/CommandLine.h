// Splitting a command line into arguments by the Windows C runtime's rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wbass {

// Blanks (space, tab) separate arguments; double quotes group and are removed; a backslash is
// literal except before a double quote, where 2n backslashes give n and a grouping quote, and
// 2n+1 give n and a literal quote.
[[nodiscard]] std::vector<std::string> SplitCommandLine(std::string_view line);

} // namespace wbass
