// The error code of the last call, kept per calling thread.
#pragma once

namespace wbass {

void SetError(int code) noexcept;
[[nodiscard]] int LastError() noexcept;

// Sets code and returns result, for one-line failure returns.
template <typename T>
T Fail(int code, T result) noexcept {
    SetError(code);
    return result;
}

} // namespace wbass
