// The speakers' master volume and mute: the waveform-audio mixer of older systems and the default
// render endpoint of systems with the endpoint audio model.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace lm {

// The PCM format the wave device is opened with to find its mixer.
struct tagWAVEFORMAT {
    uint16_t channels = 2;
    uint32_t samplesPerSec = 48000;
    uint32_t avgBytesPerSec = 192000;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    friend bool operator==(const tagWAVEFORMAT&, const tagWAVEFORMAT&) = default;
};

enum : uint32_t {
    kMixerControlVolume = 0x50030001, // unsigned values per channel
    kMixerControlMute = 0x20010002,   // boolean values per channel
};
// Destination component type of the speakers line.
constexpr uint32_t kMixerLineSpeakers = 4;

struct tagMIXERLINE {
    uint32_t lineId = 0;
    uint32_t channels = 0;
};
struct tagMIXERCONTROL {
    uint32_t controlId = 0;
    uint32_t minimum = 0;
    uint32_t maximum = 0;
};

// An open mixer; destroying it closes it.
class IMixer {
public:
    virtual ~IMixer() = default;
    // The destination line of the component type.
    virtual bool DestinationLine(uint32_t componentType, tagMIXERLINE& line) = 0;
    // The one control of the line of that type.
    virtual bool LineControl(uint32_t lineId, uint32_t controlType, tagMIXERCONTROL& control) = 0;
    // Reads or writes `channels` values (booleans as 0 / 1); values holds at least that many.
    virtual bool GetDetails(uint32_t controlId, uint32_t channels, std::vector<uint32_t>& values) = 0;
    virtual bool SetDetails(uint32_t controlId, uint32_t channels, const std::vector<uint32_t>& values) = 0;
};

// The master volume of an audio endpoint: level 0.0 to 1.0 and mute.
class IEndpointVolume {
public:
    virtual ~IEndpointVolume() = default;
    virtual bool GetLevel(float& level) = 0;
    virtual bool SetLevel(float level) = 0;
    virtual bool GetMute(bool& mute) = 0;
    virtual bool SetMute(bool mute) = 0;
};

class IAudio {
public:
    virtual ~IAudio() = default;
    // Opens the default wave output with the format, asks for its mixer and closes it again.
    virtual bool WaveOutMixerId(const tagWAVEFORMAT& format, uint32_t& mixerId) = 0;
    // Null when the mixer cannot be opened.
    virtual std::unique_ptr<IMixer> OpenMixer(uint32_t mixerId) = 0;
    // True when the system has the endpoint audio model, where the waveform mixer changes only the
    // calling program's own volume.
    virtual bool HasEndpoints() = 0;
    // The default render endpoint of the console role; null when there is none.
    virtual std::unique_ptr<IEndpointVolume> OpenDefaultRenderEndpoint() = 0;
};

IAudio& NativeAudio();

} // namespace lm
