#include "exec/Volume.h"

#include "support/LMDebug.h"

#include <algorithm>
#include <cmath>

namespace lm {

namespace {

constexpr double kEndpointRange = 65535.0;

int EndpointCommand(IAudio& audio, int32_t action, int32_t percent) {
    std::unique_ptr<IEndpointVolume> endpoint = audio.OpenDefaultRenderEndpoint();
    if (!endpoint)
        return 0;
    if (action == kMixerVolume) {
        float level = 0;
        if (!endpoint->GetLevel(level))
            return 0;
        // The level is a fraction; the steps are taken on the same 0..65535 scale as the mixer's.
        uint32_t value = static_cast<uint32_t>(
            std::lround(std::clamp(static_cast<double>(level), 0.0, 1.0) * kEndpointRange));
        uint32_t next = StepVolume(value, 0, 65535, percent);
        return endpoint->SetLevel(static_cast<float>(next / kEndpointRange)) ? 1 : 0;
    }
    bool mute = action == kMixerMute;
    if (action == kMixerToggleMute) {
        bool current = false;
        mute = endpoint->GetMute(current) ? !current : false;
    }
    return endpoint->SetMute(mute) ? 1 : 0;
}

int WaveMixerCommand(IAudio& audio, int32_t action, int32_t percent) {
    uint32_t mixerId = 0;
    if (!audio.WaveOutMixerId(tagWAVEFORMAT{}, mixerId))
        return 0;
    std::unique_ptr<IMixer> mixer = audio.OpenMixer(mixerId);
    if (!mixer)
        return 0;
    tagMIXERLINE line;
    if (!mixer->DestinationLine(kMixerLineSpeakers, line))
        return 0;
    tagMIXERCONTROL control;
    if (!mixer->LineControl(line.lineId, action == kMixerVolume ? kMixerControlVolume : kMixerControlMute,
                            control))
        return 0;

    if (action != kMixerVolume) {
        uint32_t channels = line.channels;
        std::vector<uint32_t> values(std::max<uint32_t>(channels, 1), 0);
        uint32_t value = action == kMixerMute ? 1 : 0;
        if (action == kMixerToggleMute) {
            bool read = mixer->GetDetails(control.controlId, channels, values);
            if (!read) {
                // A uniform control answers only for one channel.
                channels = 1;
                read = mixer->GetDetails(control.controlId, channels, values);
            }
            value = read ? (values[0] ? 0 : 1) : 0;
        }
        std::fill(values.begin(), values.end(), value);
        return mixer->SetDetails(control.controlId, channels, values) ? 1 : 0;
    }

    std::vector<uint32_t> values(std::max<uint32_t>(line.channels, 2), 0);
    if (!mixer->GetDetails(control.controlId, line.channels, values))
        return 0;
    for (uint32_t i = 0; i < line.channels && i < values.size(); ++i)
        values[i] = StepVolume(values[i], control.minimum, control.maximum, percent);
    return mixer->SetDetails(control.controlId, line.channels, values) ? 1 : 0;
}

} // namespace

uint32_t StepVolume(uint32_t value, uint32_t minimum, uint32_t maximum, int32_t percent) {
    double step = (static_cast<double>(maximum) - static_cast<double>(minimum)) * percent / 100.0;
    double next = static_cast<double>(value) + step;
    if (next > maximum)
        next = maximum;
    if (next < minimum)
        next = minimum;
    return static_cast<uint32_t>(next);
}

int MixerCommand(IAudio& audio, int32_t action, int32_t percent) {
    CLMTraceScope scope(kTraceInfo, kTraceAllContexts, L"MixerCommand", L"%d,%d", action, percent);
    if (action < kMixerVolume || action > kMixerToggleMute)
        return 0;
    if (audio.HasEndpoints())
        return EndpointCommand(audio, action, percent);
    return WaveMixerCommand(audio, action, percent);
}

} // namespace lm
