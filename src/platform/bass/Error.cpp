#include "Error.h"

namespace wbass {
namespace {
thread_local int tError = 0;
}

void SetError(int code) noexcept {
    tError = code;
}

int LastError() noexcept {
    return tError;
}

} // namespace wbass
