// Master volume and mute of the speakers.
#pragma once
#include "platform/Audio.h"

#include <cstdint>

namespace lm {

enum : int32_t { kMixerVolume = 0, kMixerMute = 1, kMixerUnmute = 2, kMixerToggleMute = 3 };

// Changes the volume by a signed percentage of the control's range (action 0) or sets, clears or
// toggles the mute (actions 1 to 3). Returns 1 when the new values were set, else 0. Systems with audio
// endpoints change the default render endpoint, older ones the speakers line of the wave mixer.
int MixerCommand(IAudio& audio, int32_t action, int32_t percent);

// One channel value moved by percent of the range [minimum, maximum], kept inside it, truncated.
uint32_t StepVolume(uint32_t value, uint32_t minimum, uint32_t maximum, int32_t percent);

} // namespace lm
