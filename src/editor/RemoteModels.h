// The remote-control models the editor knows, by remote-model mask: the picture of each (its bitmap
// resource and size) with its hot spots in table order, the model's name in the HTML overview, and the
// overview's key grid. The pictures and the hot spots come from one table, res/remotes/Remotes.inc,
// which tools/make-pictures.py draws the pictures from, so a key's hot spot is always where its picture
// shows it. Mask 1 is the MIDI keyboard: no picture, a list of notes instead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "receivers/NecCodeTables.h"

namespace lm {

// The model the picture control starts with, and the one chosen when nothing is remembered.
constexpr uint32_t kRemoteModelFirst = kRemoteModel2;

// One hot spot: a key's rectangle on the picture (pixels), its key ID and its mark (0 to 3).
struct tagRCKEYAREA {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t key = -1;
    int32_t mark = 0;
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

struct tagRCMODEL {
    uint32_t mask = 0;  // 64 for the model that 64 and 128 share
    int32_t bitmap = 0; // bitmap resource of the picture
    int32_t width = 0;  // size of the picture in pixels
    int32_t height = 0;
    std::wstring name;               // in the HTML overview
    std::vector<tagRCKEYAREA> areas; // in table order, every mark 0
};

// The picture models in table order: 2, 8, 16, 64 (and 128), 1024, 2048.
const std::vector<tagRCMODEL>& RemoteModels();
// The picture model of a mask (128 gives that of 64); null for the MIDI keyboard and any unknown mask.
const tagRCMODEL* FindRemoteModel(uint32_t mask);
// The name the overview prints: "MIDI In" for 1, the picture model's name, empty for other masks.
std::wstring RemoteModelName(uint32_t mask);

// The overview's key grid: rows of 3 or 4 key IDs laid out like the keys of the remote, -1 for an empty
// cell. An unlisted mask takes the grid of 16; the MIDI keyboard has no rows.
using RemoteKeyRows = std::vector<std::vector<int32_t>>;
const RemoteKeyRows& RemoteKeyGrid(uint32_t mask);

} // namespace lm
