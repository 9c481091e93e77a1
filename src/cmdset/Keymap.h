// A command set's keys: a map from key ID to command, and the two keymaps built into the program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>

#include "cmdset/RemoteKeys.h"
#include "cmdset/WinCmd.h"
#include "support/Strings.h"

namespace lm {

class CKeymap {
public:
    using Map = std::map<int32_t, tagWINCMD>;
    using const_iterator = Map::const_iterator;

    // Copies the command of a key; false (and cmd untouched) when the key is not bound.
    bool Lookup(int32_t key, tagWINCMD& cmd) const;
    // The command of a key, or null.
    const tagWINCMD* Find(int32_t key) const;
    bool Contains(int32_t key) const { return map_.count(key) != 0; }
    void SetAt(int32_t key, const tagWINCMD& cmd) { map_[key] = cmd; }
    // False when the key was not bound.
    bool RemoveKey(int32_t key) { return map_.erase(key) != 0; }
    void RemoveAll() { map_.clear(); }
    size_t GetCount() const { return map_.size(); }
    bool IsEmpty() const { return map_.empty(); }

    // In ascending key order.
    const_iterator begin() const { return map_.begin(); }
    const_iterator end() const { return map_.end(); }

    // The same keys with equal commands.
    friend bool operator==(const CKeymap& a, const CKeymap& b) { return a.map_ == b.map_; }
    friend bool operator!=(const CKeymap& a, const CKeymap& b) { return !(a == b); }

private:
    Map map_;
};

// Vocabulary of the built-in keymaps' display texts.
enum : uint32_t {
    kWordClose = 53382,
    kWordMenuKey = 53953,
    kWordFullScreenKey = 53579,
    kWordTime = 4462,
    kWordVolumeKey = 56150,
    kWordMuteKey = 56020,
    kWordArrowLeft = 55055,
    kWordArrowUp = 55056,
    kWordArrowRight = 55057,
    kWordArrowDown = 55058,
    kWordReturn = 55043,
    kWordBackspace = 55040,
    kWordTab = 55041,
    kWordDel = 55061,
    kWordPageUp = 55051,
    kWordPageDown = 55052,
    kWordPlayback = 54152,
    kWordPauseKey = 54149,
    kWordStopKey = 54359,
    kWordPreviousKey = 54159,
    kWordNextKey = 54019,
    kWordPreviousProgram = 4503,
    kWordNextProgram = 4502,
    kWordTransparent = 56121,
    kWordPage = 56048,
    kWordRedKey = 54276,
    kWordGreenKey = 53633,
    kWordYellowKey = 54720,
    kWordBlueKey = 53313,
};

// Empties the keymap and fills it with the default commands every command set starts from; the display
// texts are those of the user-interface language now. Returns 1.
int BuildDefaultKeymap(CKeymap& keymap, IStringSource& strings);
// Empties the keymap and fills it with the control set of the program's TV application (teletext and
// page commands). Returns 1.
int BuildControlKeymap(CKeymap& keymap, IStringSource& strings);

// Menu command IDs of the TV application that the control set posts.
enum : int32_t {
    kTvMenuTransparent = 2411,
    kTvMenuPageDown = 33028,
    kTvMenuPageUp = 33029,
    kTvMenuPageUp100 = 33045,
    kTvMenuPageDown100 = 33046,
    kTvMenuRed = 33047,
    kTvMenuGreen = 33048,
    kTvMenuYellow = 33049,
    kTvMenuBlue = 33050,
};

} // namespace lm
