#pragma once

#include "ParallelBatch.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace wavora {

// Shows the batch on a terminal: one bar per file being converted and one for the whole
// batch, redrawn in place, with result lines scrolling above them. Without a terminal only
// the result lines are written.
class ConsoleProgress {
public:
    ConsoleProgress(const TParallelBatch& batch, bool terminal);
    // A result line: to standard output, or to standard error when `error` is set.
    void Line(const std::string& text, bool error);
    // Redraws the bars (terminal only); called from one thread at a time.
    void Draw();
    // Removes the bars.
    void Finish();

private:
    void Clear();
    void Render();
    const TParallelBatch& batch_;
    bool terminal_;
    std::mutex lock_;    // guards drawnLines_ and the output streams
    int drawnLines_ = 0; // bar lines now on the screen, below the cursor's line
};

} // namespace wavora
