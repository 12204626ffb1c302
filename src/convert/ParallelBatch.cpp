#include "ParallelBatch.h"

#include "Naming.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

namespace wavora {

TParallelBatch::TParallelBatch(std::vector<JobRow> rows, TranscodeSettings settings, unsigned jobs)
    : rows_(std::move(rows)), settings_(std::move(settings)), jobs_(std::max(jobs, 1u)),
      progress_(rows_.size()) {
    settings_.changeCurrentFolder = false;
}

void TParallelBatch::Run(const std::atomic<bool>& stop, const Finished& finished) {
    // One group per output path, in order of first appearance; a worker takes a whole group.
    std::vector<std::vector<std::size_t>> groups;
    std::map<std::string, std::size_t> groupOfPath;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string key = AddBackslash(rows_[i].outputFolder) + rows_[i].outputFile;
        const auto [it, added] = groupOfPath.try_emplace(key, groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[it->second].push_back(i);
    }

    std::mutex lock; // guards nextGroup and serialises `finished`
    std::size_t nextGroup = 0;
    const auto worker = [&] {
        while (true) {
            std::size_t group = 0;
            {
                const std::lock_guard guard(lock);
                if (nextGroup == groups.size() || ended_ || stop) {
                    return;
                }
                group = nextGroup++;
            }
            for (const std::size_t index : groups[group]) {
                if (ended_ || stop) {
                    return;
                }
                JobProgress& progress = progress_[index];
                ConvertControl control{[&progress](std::uint32_t m) { progress.maximum = m; },
                                       [&progress](std::uint32_t v) { progress.value = v; },
                                       {},
                                       [&stop] { return stop.load(); }};
                TTranscoder transcoder(settings_, std::move(control));
                progress.running = true;
                const RowResult result = transcoder.ConvertRow(rows_[index], &claims_);
                progress.running = false;
                progress.done = true;
                if (result.outcome == RowOutcome::CannotCreate) {
                    ended_ = true;
                }
                const std::lock_guard guard(lock);
                finished(index, result);
            }
        }
    };
    const unsigned count = std::min<std::size_t>(jobs_, std::max<std::size_t>(groups.size(), 1));
    std::vector<std::jthread> threads;
    for (unsigned i = 1; i < count; ++i) {
        threads.emplace_back(worker);
    }
    worker();
}

} // namespace wavora
