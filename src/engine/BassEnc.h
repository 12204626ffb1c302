// Binding to libbassenc.so, which is linked normally (the program cannot start without it):
// BASS_Encode_Start, BASS_Encode_IsActive and BASS_Encode_Stop are called directly.
#pragma once

#include "bassenc.h"
