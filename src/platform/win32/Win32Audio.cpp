// The speakers' volume through the waveform mixer and through the default render endpoint.
#include "platform/Audio.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>

namespace lm {
namespace {

// {BCDE0395-E52F-467C-8E3D-C4579291692E}
constexpr GUID kClsidDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
// {A95664D2-9614-4F35-A746-DE8DB63617E6}
constexpr GUID kIidDeviceEnumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
// {5CDF2C82-841E-4546-9722-0CF74078229A}
constexpr GUID kIidEndpointVolume = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

// COM for the calling thread for as long as the object lives; a thread that already runs COM keeps it.
class ComScope {
public:
    ComScope() {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        owned_ = SUCCEEDED(hr);
    }
    ~ComScope() {
        if (owned_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool owned_ = false;
};

template <class T>
void Release(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

class WaveMixer final : public IMixer {
public:
    explicit WaveMixer(HMIXER mixer) : mixer_(mixer) {}
    ~WaveMixer() override { mixerClose(mixer_); }

    bool DestinationLine(uint32_t componentType, tagMIXERLINE& line) override {
        MIXERLINEW info{};
        info.cbStruct = sizeof(info);
        info.dwComponentType = componentType;
        if (mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer_), &info,
                              MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
            return false;
        line.lineId = info.dwLineID;
        line.channels = info.cChannels;
        return true;
    }
    bool LineControl(uint32_t lineId, uint32_t controlType, tagMIXERCONTROL& control) override {
        MIXERCONTROLW described{};
        described.cbStruct = sizeof(described);
        MIXERLINECONTROLSW request{};
        request.cbStruct = sizeof(request);
        request.dwLineID = lineId;
        request.dwControlType = controlType;
        request.cControls = 1;
        request.cbmxctrl = sizeof(described);
        request.pamxctrl = &described;
        if (mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer_), &request,
                                  MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
            MMSYSERR_NOERROR)
            return false;
        control.controlId = described.dwControlID;
        control.minimum = described.Bounds.dwMinimum;
        control.maximum = described.Bounds.dwMaximum;
        return true;
    }
    bool GetDetails(uint32_t controlId, uint32_t channels, std::vector<uint32_t>& values) override {
        if (values.size() < channels)
            return false;
        MIXERCONTROLDETAILS details = Request(controlId, channels, values.data());
        return mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                       MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) ==
               MMSYSERR_NOERROR;
    }
    bool SetDetails(uint32_t controlId, uint32_t channels, const std::vector<uint32_t>& values) override {
        if (values.size() < channels)
            return false;
        std::vector<uint32_t> copy = values;
        MIXERCONTROLDETAILS details = Request(controlId, channels, copy.data());
        return mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                      MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
               MMSYSERR_NOERROR;
    }

private:
    // Unsigned and boolean values are both one 32-bit word per channel.
    static MIXERCONTROLDETAILS Request(uint32_t controlId, uint32_t channels, uint32_t* values) {
        static_assert(sizeof(MIXERCONTROLDETAILS_UNSIGNED) == sizeof(uint32_t));
        static_assert(sizeof(MIXERCONTROLDETAILS_BOOLEAN) == sizeof(uint32_t));
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof(details);
        details.dwControlID = controlId;
        details.cChannels = channels;
        details.cMultipleItems = 0;
        details.cbDetails = sizeof(uint32_t);
        details.paDetails = values;
        return details;
    }
    HMIXER mixer_;
};

class Endpoint final : public IEndpointVolume {
public:
    Endpoint(std::unique_ptr<ComScope> com, IAudioEndpointVolume* volume)
        : com_(std::move(com)), volume_(volume) {}
    ~Endpoint() override { Release(volume_); }
    bool GetLevel(float& level) override { return SUCCEEDED(volume_->GetMasterVolumeLevelScalar(&level)); }
    bool SetLevel(float level) override {
        return SUCCEEDED(volume_->SetMasterVolumeLevelScalar(level, nullptr));
    }
    bool GetMute(bool& mute) override {
        BOOL value = FALSE;
        if (FAILED(volume_->GetMute(&value)))
            return false;
        mute = value != FALSE;
        return true;
    }
    bool SetMute(bool mute) override { return SUCCEEDED(volume_->SetMute(mute ? TRUE : FALSE, nullptr)); }

private:
    std::unique_ptr<ComScope> com_; // released after the interface
    IAudioEndpointVolume* volume_;
};

class Win32Audio final : public IAudio {
public:
    bool WaveOutMixerId(const tagWAVEFORMAT& format, uint32_t& mixerId) override {
        WAVEFORMATEX wave{};
        wave.wFormatTag = WAVE_FORMAT_PCM;
        wave.nChannels = format.channels;
        wave.nSamplesPerSec = format.samplesPerSec;
        wave.nAvgBytesPerSec = format.avgBytesPerSec;
        wave.nBlockAlign = format.blockAlign;
        wave.wBitsPerSample = format.bitsPerSample;
        HWAVEOUT waveOut = nullptr;
        if (waveOutOpen(&waveOut, WAVE_MAPPER, &wave, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
            return false;
        UINT id = 0;
        MMRESULT result = mixerGetID(reinterpret_cast<HMIXEROBJ>(waveOut), &id, MIXER_OBJECTF_HWAVEOUT);
        waveOutClose(waveOut);
        if (result != MMSYSERR_NOERROR)
            return false;
        mixerId = id;
        return true;
    }
    std::unique_ptr<IMixer> OpenMixer(uint32_t mixerId) override {
        HMIXER mixer = nullptr;
        if (mixerOpen(&mixer, mixerId, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
            if (mixer)
                mixerClose(mixer);
            return nullptr;
        }
        return std::make_unique<WaveMixer>(mixer);
    }
    bool HasEndpoints() override {
        // The endpoint model arrived together with the device enumerator.
        ComScope com;
        IMMDeviceEnumerator* enumerator = nullptr;
        HRESULT hr = CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_ALL, kIidDeviceEnumerator,
                                      reinterpret_cast<void**>(&enumerator));
        Release(enumerator);
        return SUCCEEDED(hr);
    }
    std::unique_ptr<IEndpointVolume> OpenDefaultRenderEndpoint() override {
        auto com = std::make_unique<ComScope>();
        IMMDeviceEnumerator* enumerator = nullptr;
        IMMDevice* device = nullptr;
        IAudioEndpointVolume* volume = nullptr;
        HRESULT hr = CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_ALL, kIidDeviceEnumerator,
                                      reinterpret_cast<void**>(&enumerator));
        if (SUCCEEDED(hr))
            hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
        if (SUCCEEDED(hr) && device)
            hr = device->Activate(kIidEndpointVolume, CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&volume));
        Release(device);
        Release(enumerator);
        if (FAILED(hr) || !volume) {
            Release(volume);
            return nullptr;
        }
        return std::make_unique<Endpoint>(std::move(com), volume);
    }
};

} // namespace

IAudio& NativeAudio() {
    static Win32Audio audio;
    return audio;
}

} // namespace lm
