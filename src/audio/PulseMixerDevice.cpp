#include "audio/PulseMixerDevice.h"
