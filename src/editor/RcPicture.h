// CRcPicture: what the remote picture of the key-assignment page holds and decides, without its window:
// the remote model shown, the hot spots with each key's mark, the selected key and its selection
// rectangle, hit testing of the pointer and clicks, and what a paint draws over the picture. The
// picture control of the Windows build (CCtrlRc) derives from it, loads the model's bitmap and repaints
// the areas this class names; the page model drives it through SetRemoteModel, SelectKey and
// SetKeyMark.
#pragma once
#include <cstdint>
#include <vector>

#include "cmdset/KeyNames.h"
#include "editor/RemoteModels.h"

namespace lm {

struct tagRCRECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    tagRCRECT Grown(int32_t by) const { return {left - by, top - by, right + by, bottom + by}; }
    friend bool operator==(const tagRCRECT&, const tagRCRECT&) = default;
};

// Colours (0x00BBGGRR) of the frames by mark: 1 the default set's command, 2 the preset's, 3 the
// user's own; mark 0 (no command) has no frame. The selected key's frame is red.
constexpr uint32_t kMarkColors[4] = {0x000000, 0x008C14, 0x877514, 0x14AADC};
constexpr uint32_t kSelectionColor = 0x0000FF;
constexpr int32_t kMarkCount = 4;

class CRcPicture {
public:
    static constexpr int32_t kInitialKey = 140;
    // A frame is drawn this far outside the hot spot, two pixels wide.
    static constexpr int32_t kFrameMargin = 2;

    explicit CRcPicture(CKeyNames& keyNames);
    virtual ~CRcPicture() = default;
    CRcPicture(const CRcPicture&) = delete;
    CRcPicture& operator=(const CRcPicture&) = delete;

    // Mask 1 hides the picture. A picture model: its hot spots (all marks 0) and picture, shown, with
    // its first hot spot's key selected. True for both; any other mask changes nothing and gives false.
    bool SetRemoteModel(uint32_t mask);
    // False when the key has no name or no hot spot on this picture; otherwise it becomes the selected
    // key with the selection rectangle around its hot spot.
    bool SelectKey(int32_t key);
    // False when the key has no name or no hot spot; otherwise stores the mark (0 to 3) in its hot spot.
    bool SetKeyMark(int32_t key, int32_t mark);
    // Every mark back to 0.
    void ClearMarks();
    // No red frame; the selected key stays what it was.
    void ClearSelection();

    // The pointer: the first hot spot (in table order) whose rectangle holds the point, else null.
    const tagRCKEYAREA* AreaAt(int32_t x, int32_t y) const;
    // Left button down: the key under the point becomes the selected key; between the keys only the
    // selection rectangle is cleared.
    void Click(int32_t x, int32_t y);

    uint32_t RemoteModel() const { return mask_; }
    const tagRCMODEL* Model() const { return model_; }
    bool Visible() const { return visible_; }
    int32_t SelectedKey() const { return selected_; }
    const tagRCRECT& Selection() const { return selection_; }
    const std::vector<tagRCKEYAREA>& Areas() const { return areas_; }
    const tagRCKEYAREA* FindArea(int32_t key) const;

    // The frames a paint draws after the picture, in order: a 2-pixel frame (outer rectangle and colour)
    // around each marked hot spot.
    struct tagRCFRAME {
        tagRCRECT rect;
        uint32_t color = 0;
    };
    std::vector<tagRCFRAME> MarkFrames() const;

protected:
    // For the window: the model or the visibility changed (a new picture to load), and an area of the
    // picture to draw again.
    virtual void PictureChanged() {}
    virtual void Repaint(const tagRCRECT&) {}

private:
    static tagRCRECT RectOf(const tagRCKEYAREA& area);
    void SetSelection(const tagRCKEYAREA* area);

    CKeyNames& keyNames_;
    uint32_t mask_ = kRemoteModelFirst;
    const tagRCMODEL* model_ = nullptr;
    std::vector<tagRCKEYAREA> areas_;
    bool visible_ = true;
    int32_t selected_ = kInitialKey;
    tagRCRECT selection_;
};

} // namespace lm
