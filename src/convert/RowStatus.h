#pragma once

#include "Transcoder.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace wavora {

// The four ends a checked row can have, as the user sees them.
enum class RowEnd { Converted, Skipped, Failed, Stopped };

struct RowStatus {
    RowEnd end = RowEnd::Converted;
    std::string text; // one line: "converted", "skipped: no decoder accepts this file", ...
};

// The status of a row after the transcoder's result.
[[nodiscard]] RowStatus DescribeRow(const JobRow& row, const RowResult& result);

// The status of a checked row the batch did not come to: a stop request, or an output that
// could not be created, ended it before.
[[nodiscard]] RowStatus NotReachedStatus(bool stopped);

// Counts of row ends, and the batch's closing text: "Converting is completed!" only when every
// counted row converted, otherwise the counts.
struct BatchTally {
    std::array<std::size_t, 4> counts{}; // by RowEnd

    void Add(RowEnd end) { ++counts[static_cast<std::size_t>(end)]; }
    [[nodiscard]] std::size_t Count(RowEnd end) const {
        return counts[static_cast<std::size_t>(end)];
    }
    [[nodiscard]] bool AllConverted() const;
    [[nodiscard]] std::string Summary() const;
};

} // namespace wavora
