#include "editor/RcPicture.h"

namespace lm {

CRcPicture::CRcPicture(CKeyNames& keyNames)
    : keyNames_(keyNames), model_(FindRemoteModel(kRemoteModelFirst)) {
    if (model_)
        areas_ = model_->areas;
}

bool CRcPicture::SetRemoteModel(uint32_t mask) {
    if (mask == kRemoteModelMidi) {
        visible_ = false;
        PictureChanged();
        return true;
    }
    const tagRCMODEL* model = FindRemoteModel(mask);
    if (!model)
        return false;
    model_ = model;
    areas_ = model->areas;
    selection_ = tagRCRECT();
    visible_ = true;
    mask_ = mask;
    PictureChanged();
    if (!areas_.empty())
        SelectKey(areas_.front().key);
    return true;
}

const tagRCKEYAREA* CRcPicture::FindArea(int32_t key) const {
    for (const tagRCKEYAREA& area : areas_)
        if (area.key == key)
            return &area;
    return nullptr;
}

bool CRcPicture::SelectKey(int32_t key) {
    const tagRCKEYAREA* area = keyNames_.KeyExists(key) ? FindArea(key) : nullptr;
    if (!area)
        return false;
    SetSelection(area);
    return true;
}

bool CRcPicture::SetKeyMark(int32_t key, int32_t mark) {
    if (!keyNames_.KeyExists(key) || mark < 0 || mark >= kMarkCount)
        return false;
    for (tagRCKEYAREA& area : areas_) {
        if (area.key != key)
            continue;
        area.mark = mark;
        Repaint(RectOf(area).Grown(kFrameMargin));
        return true;
    }
    return false;
}

void CRcPicture::ClearMarks() {
    for (tagRCKEYAREA& area : areas_)
        area.mark = 0;
    Repaint(tagRCRECT{0, 0, model_ ? model_->width : 0, model_ ? model_->height : 0});
}

void CRcPicture::ClearSelection() {
    SetSelection(nullptr);
}

const tagRCKEYAREA* CRcPicture::AreaAt(int32_t x, int32_t y) const {
    for (const tagRCKEYAREA& area : areas_)
        if (area.Contains(x, y))
            return &area;
    return nullptr;
}

void CRcPicture::Click(int32_t x, int32_t y) {
    SetSelection(AreaAt(x, y));
}

std::vector<CRcPicture::tagRCFRAME> CRcPicture::MarkFrames() const {
    std::vector<tagRCFRAME> frames;
    for (const tagRCKEYAREA& area : areas_)
        if (area.mark > 0 && area.mark < kMarkCount)
            frames.push_back(tagRCFRAME{RectOf(area).Grown(kFrameMargin), kMarkColors[area.mark]});
    return frames;
}

tagRCRECT CRcPicture::RectOf(const tagRCKEYAREA& area) {
    return tagRCRECT{area.left, area.top, area.left + area.width, area.top + area.height};
}

void CRcPicture::SetSelection(const tagRCKEYAREA* area) {
    if (!selection_.IsEmpty())
        Repaint(selection_);
    if (!area) {
        selection_ = tagRCRECT();
        return;
    }
    selected_ = area->key;
    selection_ = RectOf(*area).Grown(kFrameMargin);
    Repaint(selection_);
}

} // namespace lm
