#pragma once

#include <string>

namespace wavora {

// The audio library family for the life of this object: libbass.so and libbasswma.so loaded
// by full path from the program folder and the device initialised; everything freed in
// reverse order at the end.
class TBassSession {
public:
    enum class State { Ready, LibraryMissing, WrongVersion, NoDevice };

    // device: 1 for the first output device (the window), 0 for decoding only (headless).
    TBassSession(const std::string& programFolder, int device, void* window = nullptr);
    ~TBassSession();
    TBassSession(const TBassSession&) = delete;
    TBassSession& operator=(const TBassSession&) = delete;

    [[nodiscard]] State Status() const { return state_; }
    [[nodiscard]] bool Ready() const { return state_ == State::Ready; }
    // The error the player shows for this state ("" when ready or the library is missing).
    [[nodiscard]] std::string ErrorText() const;

private:
    State state_ = State::LibraryMissing;
    int errorCode_ = 0;
};

} // namespace wavora
