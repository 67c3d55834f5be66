// The program's one tone generator, playing on wave output device 0. The main window makes
// it when it starts; it lives as long as the process, since the device may still be
// playing when the window goes.
#pragma once

#include "ToneGenerator.h"

extern CToneGenerator* g_pToneGenerator;
