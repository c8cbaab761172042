#include "peripherals/settings.h"

SettingsRecord Settings;
