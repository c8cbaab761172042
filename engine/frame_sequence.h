// What follows every emulated frame, in the one order the desktop main loop and the batch runner
// share: FinishFrame and RunFrame, with FrameTarget, are declared in the engine's header.
#pragma once
#include "engine/engine.h"
