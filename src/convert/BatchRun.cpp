#include "BatchRun.h"

namespace wavora {

BatchResult RunBatch(const BatchHost& host) {
    BatchResult result;
    if (*host.grabbing) {
        result.end = BatchEnd::Refused;
        return result;
    }
    *host.grabbing = true;
    *host.stopGrab = false;
    const std::size_t count = host.rowCount();
    for (std::size_t index = 0; index < count; ++index) {
        // Rows may have been deleted meanwhile only by the owner's own rules; never read
        // past the live list.
        if (index < host.rowCount() && host.rowChecked(index)) {
            if (auto error = host.convertRow(index)) {
                result.end = BatchEnd::Failed;
                result.error = std::move(*error);
                break;
            }
        }
        if (*host.stopGrab) {
            break;
        }
    }
    *host.stopGrab = false;
    *host.grabbing = false;
    return result;
}

} // namespace wavora
