#pragma once

#include "ExistingOutput.h"

#include <mutex>
#include <set>
#include <string>

namespace wavora {

// The output paths of one batch, shared by its rows (and their threads), so that no row
// overwrites what another row of the batch wrote or is writing.
class TOutputClaims {
public:
    struct Claim {
        std::string path;        // where the row writes; empty: skip the row
        bool renamed = false;    // path is "NAME (n).EXT" instead of the row's own name
        bool existed = false;    // a file of the row's own name was there before
        bool ownEarlier = false; // the row's own name was written earlier in this batch
    };

    // Decides and reserves the path for a row whose own output path is `wanted`. A path this
    // batch wrote or is writing is never given out again; a file that was there before is
    // treated by `existing`.
    [[nodiscard]] Claim Take(const std::string& wanted, ExistingOutput existing);
    // Gives back a path whose row wrote nothing, so a later row may use the name.
    void Release(const std::string& path);

private:
    std::mutex lock_;            // guards taken_
    std::set<std::string> taken_; // normalised paths
};

// "NAME (n).EXT" for "NAME.EXT" (n from 2); the extension is the part after the last '.'.
[[nodiscard]] std::string NumberedName(const std::string& path, int n);

} // namespace wavora
