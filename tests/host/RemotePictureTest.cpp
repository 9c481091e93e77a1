// The remote pictures: the hot-spot tables against the pictures drawn from the same table, and the
// picture control's selection, marks and clicks.
#include "editor/RcPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>

namespace lm {
namespace {

// A 4-bit bitmap file as colours (0x00RRGGBB), top row first.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Bitmap ReadBitmap4(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string d((std::istreambuf_iterator<char>(in)), {});
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8 |
                                     static_cast<uint8_t>(d[at + 2]) << 16 |
                                     static_cast<uint8_t>(d[at + 3]) << 24);
    };
    Bitmap b;
    if (d.size() < 54 || d.compare(0, 2, "BM") != 0 || static_cast<uint8_t>(d[28]) != 4)
        return b;
    b.width = static_cast<int>(u32(18));
    b.height = static_cast<int>(u32(22));
    const size_t offset = u32(10), colours = u32(46), rowBytes = ((b.width * 4 + 31) / 32) * 4;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            const uint8_t pair = static_cast<uint8_t>(d[offset + (b.height - 1 - y) * rowBytes + x / 2]);
            const uint32_t index = x % 2 ? pair & 15 : pair >> 4;
            b.pixels.push_back(index < colours ? u32(54 + 4 * index) & 0xFFFFFF : 0xFF000000);
        }
    return b;
}

std::vector<int32_t> Range(int32_t first, int32_t last) {
    std::vector<int32_t> keys;
    for (int32_t key = first; key <= last; ++key)
        keys.push_back(key);
    return keys;
}
std::vector<int32_t> Join(std::initializer_list<std::vector<int32_t>> parts) {
    std::vector<int32_t> keys;
    for (const auto& part : parts)
        keys.insert(keys.end(), part.begin(), part.end());
    return keys;
}

TEST(RemotePictureTest, TablesHaveTheKeysOfEachRemoteInOrder) {
    const std::map<uint32_t, std::vector<int32_t>> order = {
        {2, {140, 160, 141, 201, 202, 203, 221, 204, 205, 206, 220, 207, 208, 209, 241, 223, 200, 210,
             240, 243, 180, 242, 182, 186, 183, 161, 181, 187, 264, 265, 263, 260, 266, 267, 262, 261}},
        {8, {143, 223, 242, 140, 201, 202, 203, 221, 204, 205, 206, 220, 207, 208,
             209, 241, 200, 160, 144, 240, 262, 263, 266, 260, 267, 185, 261, 141}},
        {16, Join({{140}, Range(201, 209), {223, 200, 185, 160, 162, 180, 181, 182, 183, 184,
                                            161, 163, 320, 321, 322, 323, 241, 240, 242, 221,
                                            220, 262, 260, 263, 266, 261, 267, 264, 265}})},
        {64, {160, 140, 301, 201, 202, 203, 302, 204, 205, 206, 161, 207, 208, 209, 188, 223,
              200, 222, 303, 304, 305, 306, 307, 180, 182, 184, 183, 181, 162, 163, 185, 241,
              260, 221, 240, 242, 220, 320, 321, 322, 324, 263, 261, 262, 266, 264, 265, 267}},
        {1024, Join({{140}, Range(201, 209), {161, 200, 222, 160, 162, 180, 181, 182, 183, 184,
                                              185, 163, 320, 321, 322, 323, 241, 240, 242, 221,
                                              220, 263, 260, 262, 266, 261, 267, 264, 265}})},
        {2048, Join({{140, 242}, Range(201, 209), {185, 200, 280, 281, 180, 240, 184, 241, 181, 282, 283,
                                                   266, 260, 267, 264, 222, 265, 261, 161, 263, 141, 160}})},
    };
    const std::map<uint32_t, std::vector<int32_t>> picture = {
        {2, {253, 138, 406}},  {8, {254, 170, 375}},    {16, {255, 107, 420}},
        {64, {284, 127, 407}}, {1024, {287, 106, 424}}, {2048, {288, 126, 400}}};
    ASSERT_EQ(RemoteModels().size(), order.size());
    for (const tagRCMODEL& model : RemoteModels()) {
        SCOPED_TRACE(model.mask);
        std::vector<int32_t> keys;
        for (const tagRCKEYAREA& area : model.areas)
            keys.push_back(area.key);
        EXPECT_EQ(keys, order.at(model.mask));
        EXPECT_EQ((std::vector<int32_t>{model.bitmap, model.width, model.height}), picture.at(model.mask));
        // Every key of the overview's grid of the model is on its picture.
        for (const auto& row : RemoteKeyGrid(model.mask))
            for (int32_t key : row)
                EXPECT_TRUE(key < 0 || std::find(keys.begin(), keys.end(), key) != keys.end()) << key;
    }
    EXPECT_EQ(FindRemoteModel(128), FindRemoteModel(64));
    EXPECT_EQ(FindRemoteModel(kRemoteModelMidi), nullptr);
    EXPECT_EQ(FindRemoteModel(4), nullptr);
    EXPECT_EQ(RemoteModelName(1), L"MIDI In");
    EXPECT_EQ(RemoteModelName(128), L"Lumora Remote Control v.3");
    EXPECT_EQ(RemoteModelName(4), L"");
    EXPECT_EQ(&RemoteKeyGrid(4), &RemoteKeyGrid(16));

    // The geometry the first rows of model 2 keep.
    const auto& areas = FindRemoteModel(2)->areas;
    const int32_t example[7][5] = {{18, 76, 24, 16, 140},  {56, 79, 24, 12, 160},  {93, 76, 24, 16, 141},
                                   {18, 103, 18, 12, 201}, {43, 103, 18, 12, 202}, {69, 103, 18, 12, 203},
                                   {93, 103, 24, 12, 221}};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ((std::vector<int32_t>{areas[i].left, areas[i].top, areas[i].width, areas[i].height,
                                        areas[i].key}),
                  std::vector<int32_t>(example[i], example[i] + 5));
}

// Each picture shows each key exactly on its hot spot: inside the hot spot (less its rounded corners)
// no pixel has the colour of the remote's face, all around it every pixel has; and no two frames of
// hot spots (2 pixels outside) overlap.
TEST(RemotePictureTest, PicturesShowEveryKeyOnItsHotSpot) {
    for (const tagRCMODEL& model : RemoteModels()) {
        SCOPED_TRACE(model.mask);
        const Bitmap bmp = ReadBitmap4(std::string(LM_SOURCE_DIR) + "/res/remotes/Remote" +
                                       std::to_string(model.mask) + ".bmp");
        ASSERT_EQ(bmp.width, model.width);
        ASSERT_EQ(bmp.height, model.height);
        std::map<uint32_t, int> counts;
        for (uint32_t c : bmp.pixels)
            ++counts[c];
        const uint32_t face = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                  return a.second < b.second;
                              })->first;
        for (size_t i = 0; i < model.areas.size(); ++i) {
            const tagRCKEYAREA& a = model.areas[i];
            SCOPED_TRACE(a.key);
            ASSERT_TRUE(a.left >= 1 && a.top >= 1 && a.left + a.width < model.width &&
                        a.top + a.height < model.height);
            int inside = 0, around = 0;
            for (int y = a.top - 1; y <= a.top + a.height; ++y)
                for (int x = a.left - 1; x <= a.left + a.width; ++x) {
                    const bool ring =
                        x < a.left || y < a.top || x == a.left + a.width || y == a.top + a.height;
                    const bool core =
                        x > a.left && y > a.top && x < a.left + a.width - 1 && y < a.top + a.height - 1;
                    if (ring)
                        around += bmp.At(x, y) == face ? 0 : 1;
                    if (core)
                        inside += bmp.At(x, y) == face ? 1 : 0;
                }
            EXPECT_EQ(inside, 0);
            EXPECT_EQ(around, 0);
            for (size_t j = 0; j < i; ++j) {
                const tagRCKEYAREA& b = model.areas[j];
                const bool apart = a.left + a.width + 4 <= b.left || b.left + b.width + 4 <= a.left ||
                                   a.top + a.height + 4 <= b.top || b.top + b.height + 4 <= a.top;
                EXPECT_TRUE(apart) << "overlaps key " << b.key;
            }
        }
    }
}

// Records what the window would be asked to do.
class SpyPicture final : public CRcPicture {
public:
    using CRcPicture::CRcPicture;
    int changes = 0;
    std::vector<tagRCRECT> repaints;

protected:
    void PictureChanged() override { ++changes; }
    void Repaint(const tagRCRECT& r) override { repaints.push_back(r); }
};

TEST(RemotePictureTest, ModelsKeysMarksAndClicks) {
    CKeyNames names;
    SpyPicture picture(names);
    EXPECT_EQ(picture.RemoteModel(), 2u);
    EXPECT_EQ(picture.SelectedKey(), 140);
    EXPECT_TRUE(picture.Selection().IsEmpty());

    // A model: its first key selected with the rectangle 2 pixels around its hot spot.
    ASSERT_TRUE(picture.SetRemoteModel(128));
    EXPECT_EQ(picture.RemoteModel(), 128u);
    EXPECT_EQ(picture.Model(), FindRemoteModel(64));
    EXPECT_EQ(picture.SelectedKey(), 160);
    const tagRCKEYAREA first = picture.Areas().front();
    EXPECT_EQ(picture.Selection(), (tagRCRECT{first.left - 2, first.top - 2, first.left + first.width + 2,
                                              first.top + first.height + 2}));
    // Unknown masks change nothing; the MIDI keyboard hides the picture.
    EXPECT_FALSE(picture.SetRemoteModel(4));
    EXPECT_EQ(picture.RemoteModel(), 128u);
    EXPECT_TRUE(picture.SetRemoteModel(kRemoteModelMidi));
    EXPECT_FALSE(picture.Visible());
    ASSERT_TRUE(picture.SetRemoteModel(2));
    EXPECT_TRUE(picture.Visible());
    EXPECT_EQ(picture.changes, 3);

    // Keys without a name, or not on this picture, can be neither selected nor marked.
    EXPECT_FALSE(picture.SelectKey(128));
    EXPECT_FALSE(picture.SelectKey(301));
    EXPECT_FALSE(picture.SetKeyMark(301, 1));
    EXPECT_FALSE(picture.SetKeyMark(145, 1));
    EXPECT_EQ(picture.SelectedKey(), 140);
    EXPECT_TRUE(picture.SelectKey(186));
    EXPECT_EQ(picture.SelectedKey(), 186);

    // Marks give frames of their colours 2 pixels around the hot spot; mark 0 none.
    picture.repaints.clear();
    EXPECT_TRUE(picture.SetKeyMark(140, 1));
    EXPECT_TRUE(picture.SetKeyMark(160, 3));
    EXPECT_TRUE(picture.SetKeyMark(141, 2));
    EXPECT_TRUE(picture.SetKeyMark(141, 0));
    EXPECT_EQ(picture.repaints.size(), 4u);
    auto frames = picture.MarkFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].rect, (tagRCRECT{16, 74, 44, 94}));
    EXPECT_EQ(frames[0].color, 0x008C14u); // RGB(20, 140, 0)
    EXPECT_EQ(frames[1].color, 0x14AADCu); // RGB(220, 170, 20)
    picture.ClearMarks();
    EXPECT_TRUE(picture.MarkFrames().empty());

    // The pointer: a hot spot holds its left and top edge, not its right and bottom one.
    EXPECT_EQ(picture.AreaAt(18, 76)->key, 140);
    EXPECT_EQ(picture.AreaAt(41, 91)->key, 140);
    EXPECT_EQ(picture.AreaAt(42, 76), nullptr);
    EXPECT_EQ(picture.AreaAt(18, 92), nullptr);
    // A click on a key selects it; between the keys it only clears the red frame.
    picture.Click(50, 108);
    EXPECT_EQ(picture.SelectedKey(), 202);
    EXPECT_FALSE(picture.Selection().IsEmpty());
    picture.Click(39, 108);
    EXPECT_EQ(picture.SelectedKey(), 202);
    EXPECT_TRUE(picture.Selection().IsEmpty());
}

} // namespace
} // namespace lm
