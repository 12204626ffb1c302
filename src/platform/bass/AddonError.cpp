// In the add-ons the error code lives in libbass.so, where BASS_ErrorGetCode reads it.
#include "Error.h"
#include "bassint.h"

namespace wbass {

void SetError(int code) noexcept {
    WavoraBass_SetError(code);
}

} // namespace wbass
