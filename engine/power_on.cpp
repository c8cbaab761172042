#include "engine/power_on.h"

#include <cstring>

#include "core/machine.h"
#include "display/render_tables.h"
#include "media/rom.h"
#include "peripherals/ay_chip.h"
#include "peripherals/beeper.h"
#include "peripherals/input_state.h"
#include "peripherals/joystick.h"
#include "peripherals/ports.h"

bool PowerOnMachine() {
    BuildRenderTables();
    AllocateMemory();
    FillMemoryAtPowerOn();
    std::memset(KeyMatrix, 0xFF, sizeof KeyMatrix);
    std::memset(&BorderLog, 0, sizeof BorderLog);
    BeeperLog.count = 0;
    SpeakerLevel = 0;
    AyReset();
    EarLevel = 1;
    FlashPhase = 0;
    FlashCounter = 0;
    DetectJoystick();
    const bool fromFile = LoadRom();
    ResetMachine();
    return fromFile;
}
