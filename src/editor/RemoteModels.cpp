#include "editor/RemoteModels.h"

namespace lm {

namespace {

struct ModelRow {
    uint32_t mask;
    int32_t bitmap, width, height;
    const wchar_t* name;
};
struct KeyRow {
    uint32_t mask;
    int32_t left, top, width, height, key;
};

constexpr ModelRow kModelRows[] = {
#define LM_RC_MODEL(mask, bitmap, width, height, name, mark) {mask, bitmap, width, height, name},
#define LM_RC_KEY(mask, left, top, width, height, key, look, label)
#include "../../res/remotes/Remotes.inc"
#undef LM_RC_MODEL
#undef LM_RC_KEY
};

constexpr KeyRow kKeyRows[] = {
#define LM_RC_MODEL(mask, bitmap, width, height, name, mark)
#define LM_RC_KEY(mask, left, top, width, height, key, look, label) {mask, left, top, width, height, key},
#include "../../res/remotes/Remotes.inc"
#undef LM_RC_MODEL
#undef LM_RC_KEY
};

constexpr uint32_t kSharedMask = kRemoteModel128; // shares the picture of 64
constexpr uint32_t kSharedWith = kRemoteModel64;

} // namespace

const std::vector<tagRCMODEL>& RemoteModels() {
    static const std::vector<tagRCMODEL> models = [] {
        std::vector<tagRCMODEL> list;
        for (const ModelRow& row : kModelRows) {
            tagRCMODEL model;
            model.mask = row.mask;
            model.bitmap = row.bitmap;
            model.width = row.width;
            model.height = row.height;
            model.name = row.name;
            for (const KeyRow& key : kKeyRows)
                if (key.mask == row.mask)
                    model.areas.push_back(tagRCKEYAREA{key.left, key.top, key.width, key.height, key.key, 0});
            list.push_back(std::move(model));
        }
        return list;
    }();
    return models;
}

const tagRCMODEL* FindRemoteModel(uint32_t mask) {
    if (mask == kSharedMask)
        mask = kSharedWith;
    for (const tagRCMODEL& model : RemoteModels())
        if (model.mask == mask)
            return &model;
    return nullptr;
}

std::wstring RemoteModelName(uint32_t mask) {
    if (mask == kRemoteModelMidi)
        return L"MIDI In";
    const tagRCMODEL* model = FindRemoteModel(mask);
    return model ? model->name : std::wstring();
}

const RemoteKeyRows& RemoteKeyGrid(uint32_t mask) {
    static const RemoteKeyRows kNone;
    static const RemoteKeyRows k2 = {{140, 160, 141},      {201, 202, 203, 221}, {204, 205, 206, 220},
                                     {207, 208, 209, 241}, {223, 200, 210, 240}, {243, 180, 242},
                                     {182, 186, 183},      {161, 181, 187},      {264, 265, 263, 260},
                                     {266, 267, 262, 261}};
    static const RemoteKeyRows k8 = {{143, 223, 242, 140}, {201, 202, 203, 221}, {204, 205, 206, 220},
                                     {207, 208, 209, 241}, {200, 160, 144, 240}, {-1, 262, -1, 263},
                                     {266, 260, 267, 185}, {-1, 261, -1, 141}};
    static const RemoteKeyRows k16 = {{-1, 140, -1},        {201, 202, 203}, {204, 205, 206}, {207, 208, 209},
                                      {223, 200, 185},      {160, 180, 162}, {182, 184, 183}, {161, 181, 163},
                                      {320, 321, 322, 323}, {241, -1, 221},  {-1, 242, -1},   {240, -1, 220},
                                      {262, 260, 263},      {266, 261, 267}, {264, -1, 265}};
    static const RemoteKeyRows k64 = {
        {160, -1, -1, 140},   {301, 201, 202, 203}, {302, 204, 205, 206}, {161, 207, 208, 209},
        {188, 223, 200, 222}, {304, 305, 306},      {303, -1, -1, 307},   {-1, 180, -1},
        {182, 184, 183},      {-1, 181, -1},        {162, 163, 185},      {241, 260, 221},
        {240, 242, 220},      {320, 321, 322, 324}, {263, -1, 261, 262},  {266, 264, 265, 267}};
    static const RemoteKeyRows k1024 = {
        {-1, 140, -1},   {201, 202, 203}, {204, 205, 206}, {207, 208, 209},      {161, 200, 222},
        {160, 180, 162}, {182, 184, 183}, {185, 181, 163}, {320, 321, 322, 323}, {241, -1, 221},
        {-1, 242, -1},   {240, -1, 220},  {263, 260, 262}, {266, 261, 267},      {264, -1, 265}};
    static const RemoteKeyRows k2048 = {{140, -1, 242},  {201, 202, 203}, {204, 205, 206}, {207, 208, 209},
                                        {185, 200, 160}, {280, 180, 281}, {240, 184, 241}, {282, 181, 283},
                                        {266, 260, 267}, {264, 222, 265}, {261, 161, 263}, {141, -1, 160}};
    switch (mask) {
    case kRemoteModelMidi:
        return kNone;
    case 2:
        return k2;
    case 8:
        return k8;
    case 64:
    case 128:
        return k64;
    case 1024:
        return k1024;
    case 2048:
        return k2048;
    default:
        return k16;
    }
}

} // namespace lm
