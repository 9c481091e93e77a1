// A mixer with one speakers line and an audio endpoint, both holding their values, with switchable
// failures at every step.
#pragma once
#include "platform/Audio.h"

#include <string>
#include <vector>

namespace lm::test {

class FakeAudio final : public IAudio {
public:
    // --- Wave mixer ---
    bool waveOpenFails = false;
    bool mixerOpenFails = false;
    bool lineFails = false;
    bool controlFails = false;
    bool setFails = false;
    // Reads that name more channels than this fail (a uniform control answers for one channel only).
    uint32_t readableChannels = 16;
    bool readFails = false;
    uint32_t channels = 2;
    uint32_t minimum = 0;
    uint32_t maximum = 65535;
    std::vector<uint32_t> volume{30000, 30000};
    std::vector<uint32_t> mute{0, 0};
    WaveFormat lastFormat;
    uint32_t lastComponentType = 0;
    uint32_t lastControlType = 0;
    uint32_t lastSetChannels = 0;
    int mixersOpen = 0;
    std::vector<std::wstring> calls;

    // --- Endpoint ---
    bool hasEndpoints = false;
    bool endpointMissing = false;
    bool endpointFails = false;
    float level = 0.5f;
    bool endpointMute = false;

    bool WaveOutMixerId(const WaveFormat& format, uint32_t& id) override {
        calls.push_back(L"wave");
        lastFormat = format;
        id = 7;
        return !waveOpenFails;
    }
    std::unique_ptr<IMixer> OpenMixer(uint32_t id) override {
        calls.push_back(L"open " + std::to_wstring(id));
        if (mixerOpenFails)
            return nullptr;
        return std::make_unique<Mixer>(*this);
    }
    bool HasEndpoints() override { return hasEndpoints; }
    std::unique_ptr<IEndpointVolume> OpenDefaultRenderEndpoint() override {
        if (endpointMissing)
            return nullptr;
        return std::make_unique<Endpoint>(*this);
    }

private:
    class Mixer final : public IMixer {
    public:
        explicit Mixer(FakeAudio& a) : a_(a) { ++a_.mixersOpen; }
        ~Mixer() override {
            --a_.mixersOpen;
            a_.calls.push_back(L"close");
        }
        bool DestinationLine(uint32_t type, MixerLine& line) override {
            a_.lastComponentType = type;
            line.lineId = 0xFFFF0000;
            line.channels = a_.channels;
            return !a_.lineFails;
        }
        bool LineControl(uint32_t lineId, uint32_t type, MixerControl& control) override {
            a_.lastControlType = type;
            control.controlId = type == kMixerControlMute ? 2 : 1;
            control.minimum = a_.minimum;
            control.maximum = a_.maximum;
            return !a_.controlFails && lineId == 0xFFFF0000;
        }
        bool GetDetails(uint32_t id, uint32_t n, std::vector<uint32_t>& values) override {
            a_.calls.push_back(L"get " + std::to_wstring(n));
            if (a_.readFails || n > a_.readableChannels || values.size() < n)
                return false;
            const std::vector<uint32_t>& src = id == 2 ? a_.mute : a_.volume;
            for (uint32_t i = 0; i < n && i < src.size(); ++i)
                values[i] = src[i];
            return true;
        }
        bool SetDetails(uint32_t id, uint32_t n, const std::vector<uint32_t>& values) override {
            a_.calls.push_back(L"set " + std::to_wstring(n));
            a_.lastSetChannels = n;
            if (a_.setFails || values.size() < n)
                return false;
            std::vector<uint32_t>& dst = id == 2 ? a_.mute : a_.volume;
            for (uint32_t i = 0; i < n && i < dst.size(); ++i)
                dst[i] = values[i];
            return true;
        }

    private:
        FakeAudio& a_;
    };
    class Endpoint final : public IEndpointVolume {
    public:
        explicit Endpoint(FakeAudio& a) : a_(a) {}
        bool GetLevel(float& l) override {
            l = a_.level;
            return !a_.endpointFails;
        }
        bool SetLevel(float l) override {
            if (a_.endpointFails)
                return false;
            a_.level = l;
            return true;
        }
        bool GetMute(bool& m) override {
            m = a_.endpointMute;
            return !a_.endpointFails;
        }
        bool SetMute(bool m) override {
            if (a_.endpointFails)
                return false;
            a_.endpointMute = m;
            return true;
        }

    private:
        FakeAudio& a_;
    };
};

} // namespace lm::test
