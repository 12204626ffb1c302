#include "BassSession.h"

#include "BassLoader.h"
#include "BassWmaLoader.h"

namespace wavora {

TBassSession::TBassSession(const std::string& programFolder, int device, void* window) {
    if (!LoadBass(programFolder + std::string(kBassLibraryName))) {
        return;
    }
    if (!BassVersionOk()) {
        state_ = State::WrongVersion;
        return;
    }
    if (!bass::BASS_Init(device, 44100, 0, window, nullptr)) {
        state_ = State::NoDevice;
        errorCode_ = bass::BASS_ErrorGetCode();
        return;
    }
    // Without the WMA add-on, WMA sources and WMA output are simply unavailable.
    (void)LoadBassWma(programFolder + std::string(kBassWmaLibraryName));
    state_ = State::Ready;
}

TBassSession::~TBassSession() {
    UnloadBassWma();
    UnloadBass(); // frees the device first
}

std::string TBassSession::ErrorText() const {
    switch (state_) {
    case State::WrongVersion:
        return std::string(kBassVersionError);
    case State::NoDevice:
        return "Can't initialize device\r\n(error code: " + std::to_string(errorCode_) + ")";
    case State::Ready:
    case State::LibraryMissing:
        break;
    }
    return {};
}

} // namespace wavora
