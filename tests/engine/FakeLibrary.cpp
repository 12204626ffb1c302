// Stand-ins for the loader tests: every name of one list as an exported symbol, except the name
// one that the build renames by a macro of the same name.
#include "BassNames.h"

#define WAVORA_FAKE_ENTRY(name)                                                                    \
    extern "C" __attribute__((visibility("default"))) int name() {                                 \
        return 0;                                                                                  \
    }
WAVORA_FAKE_LIST(WAVORA_FAKE_ENTRY)
