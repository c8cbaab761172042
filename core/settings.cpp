#include "core/settings.h"

SettingsRecord Settings;
