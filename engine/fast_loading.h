// Fast loading: while a program reads a tape that plays by itself (a .tzx or a recording), the
// front end runs the machine as fast as it can and silent, then goes back to its chosen speed.
// What runs is unchanged, frame for frame: only the pacing and the sound differ. TapeBeingLoaded
// is declared in the engine's header.
#pragma once
#include "engine/engine.h"
