// Short sounds of the key feedback: a wave file, or a WAVE resource of the program's own module. Both
// play asynchronously, never the system's default sound in place of a missing one, and not at all while
// the sound driver is busy.
#pragma once
#include <string>

namespace lm {

class ISound {
public:
    virtual ~ISound() = default;
    // False when the sound could not be started.
    virtual bool PlayFile(const std::wstring& path) = 0;
    virtual bool PlayResource(const std::wstring& name) = 0;
};

// The sounds of this system (Windows builds).
ISound& NativeSound();

} // namespace lm
