#pragma once

#include "OutputClaims.h"
#include "Transcoder.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace wavora {

// Progress of one job as its worker last reported it; read by any thread.
struct JobProgress {
    std::atomic<std::uint32_t> maximum{0};
    std::atomic<std::uint32_t> value{0};
    std::atomic<bool> running{false};
    std::atomic<bool> done{false};
};

// Converts rows on several threads at once. Every worker has its own transcoder (its own
// buffers) and the transcoders change no process-wide state, so each row's result is the one
// a one-at-a-time run gives. Rows that share an output path are converted one after the
// other, in list order, as a one-at-a-time run would, and no row writes over a file another row
// of the batch wrote. A row ending with CannotCreate ends the
// batch: rows not yet started are not converted.
class TParallelBatch {
public:
    TParallelBatch(std::vector<JobRow> rows, TranscodeSettings settings, unsigned jobs);

    // Runs to the end; `finished` is called on the worker's thread after each row, and
    // never for two rows at once.
    using Finished = std::function<void(std::size_t index, const RowResult& result)>;
    void Run(const std::atomic<bool>& stop, const Finished& finished);

    [[nodiscard]] const std::vector<JobRow>& Rows() const { return rows_; }
    [[nodiscard]] const JobProgress& Progress(std::size_t index) const { return progress_[index]; }
    // Set when a CannotCreate ended the batch; rows not started have no result.
    [[nodiscard]] bool Ended() const { return ended_.load(); }

private:
    std::vector<JobRow> rows_;
    TranscodeSettings settings_;
    unsigned jobs_;
    std::vector<JobProgress> progress_;
    std::atomic<bool> ended_{false};
    TOutputClaims claims_; // shared by the workers

};

} // namespace wavora
