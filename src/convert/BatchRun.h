#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace wavora {

// What a batch run needs of its owner: the live row list and the two flags, all on the
// thread that runs the batch.
struct BatchHost {
    std::function<std::size_t()> rowCount;
    std::function<bool(std::size_t index)> rowChecked;
    // Converts one row; an error text ends the batch.
    std::function<std::optional<std::string>(std::size_t index)> convertRow;
    bool* grabbing = nullptr; // a run is in progress
    bool* stopGrab = nullptr; // the stop request
};

enum class BatchEnd {
    Refused,   // a run was already in progress: nothing was done
    Completed, // every row was visited, or a stop request ended the run
    Failed,    // a row's error ended the run (see the error text)
};

struct BatchResult {
    BatchEnd end = BatchEnd::Completed;
    std::string error;
};

// Converts the checked rows in list order, over the rows that exist when it starts; a stop
// request takes effect after the current row. A second run while one is in progress is
// refused, as the run is re-entered from its own message pumping.
[[nodiscard]] BatchResult RunBatch(const BatchHost& host);

} // namespace wavora
