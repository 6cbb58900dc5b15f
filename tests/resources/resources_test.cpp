// The skin that the windows load: every bitmap id exists with the size of
// the control it is made for, the icon has its sizes, and key colours lie
// only where the windows expect to cut or mask them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/SkinPicture.h"
#include "resources/resource.h"

namespace {

// The main template's 398 x 281 dialog units are the background's
// 807 x 563 pixels; every template rectangle maps with the same factors.
int UnitsToX(int units) { return static_cast<int>(std::floor(units * 807.0 / 398.0 + 0.5)); }
int UnitsToY(int units) { return static_cast<int>(std::floor(units * 563.0 / 281.0 + 0.5)); }

struct Picture {
    int id;
    int width;   // pixels
    int height;
    const char* role;
};

Picture Units(int id, int w, int h, const char* role) { return {id, UnitsToX(w), UnitsToY(h), role}; }

// Language columns: English, German, French, Dutch, Italian, Chinese.
struct LanguageRow {
    int ids[6];
    int unitsW, unitsH;
    const char* role;
};

const LanguageRow kLanguageRows[] = {
    {{151, 151, 151, 151, 151, 268}, 61, 14, "OK pointer-over"},
    {{152, 208, 220, 232, 244, 256}, 61, 14, "Apply pointer-over"},
    {{153, 210, 222, 234, 246, 258}, 61, 14, "Cancel pointer-over"},
    {{154, 154, 154, 154, 154, 269}, 61, 14, "OK resting"},
    {{155, 209, 221, 233, 245, 257}, 61, 14, "Apply resting"},
    {{156, 211, 223, 235, 247, 259}, 61, 14, "Cancel resting"},
    {{178, 212, 224, 236, 248, 260}, 78, 18, "buttons page button, selected"},
    {{180, 216, 228, 240, 252, 264}, 78, 18, "performance page button, selected"},
    {{181, 218, 230, 242, 254, 266}, 78, 18, "performance page button"},
    {{182, 214, 226, 238, 250, 262}, 78, 18, "buttons page button"},
    {{183, 217, 229, 241, 253, 265}, 78, 18, "performance page button, selected, pointer-over"},
    {{184, 213, 225, 237, 249, 261}, 78, 18, "buttons page button, selected, pointer-over"},
    {{185, 215, 227, 239, 251, 263}, 78, 18, "buttons page button, pointer-over"},
    {{187, 219, 231, 243, 255, 267}, 78, 18, "performance page button, pointer-over"},
    {{177, 288, 290, 292, 294, 270}, 78, 18, "profiles page button, selected"},
    {{179, 289, 291, 293, 295, 271}, 78, 18, "profiles page button"},
    {{199, 272, 274, 276, 278, 280}, 91, 17, "DPI caption"},
    {{198, 273, 275, 277, 279, 281}, 66, 18, "report rate caption"},
};

std::vector<Picture> AllPictures() {
    std::vector<Picture> p = {
        {IDB_MAIN_BG, 807, 563, "main background"},
        Units(IDB_TITLE_TRAY, 17, 17, "hide to tray"),
        Units(IDB_TITLE_MIN, 18, 17, "minimise"),
        Units(IDB_TITLE_CLOSE, 26, 17, "close"),
        Units(IDB_BANNER, 338, 48, "banner"),
        Units(IDB_PAGE_SPARE, 78, 18, "spare page button"),
        Units(IDB_FLAG_ENGLISH, 17, 16, "English flag"),
        Units(IDB_FLAG_GERMANY, 17, 15, "German flag"),
        Units(IDB_FLAG_FRANCE, 15, 16, "French flag"),
        Units(IDB_FLAG_DUTCH, 18, 13, "Dutch flag"),
        Units(IDB_FLAG_ITALIAN, 17, 13, "Italian flag"),
        Units(IDB_FLAG_CHINESE, 15, 14, "Chinese flag"),
        Units(IDB_BUTTONS_PAGE_BG, 338, 169, "buttons page background"),
        Units(IDB_SMALL_BUTTON, 10, 12, "small button"),
        Units(IDB_ILLUSTRATION_LEFT, 110, 78, "left button illustration"),
        Units(IDB_ILLUSTRATION_RIGHT, 110, 78, "right button illustration"),
        Units(IDB_ILLUSTRATION_MIDDLE, 110, 78, "middle button illustration"),
        Units(IDB_ILLUSTRATION_BUTTON4, 110, 78, "button 4 illustration"),
        Units(IDB_ILLUSTRATION_BUTTON5, 110, 78, "button 5 illustration"),
        Units(IDB_SWAP_DECOR, 50, 33, "wheel swap decoration"),
        Units(IDB_PERF_PAGE_BG, 359, 169, "performance page background"),
        Units(IDB_PROFILES_PAGE_BG, 359, 169, "profiles page background"),
        {IDB_DPI_THUMB, 10, 8, "DPI thumb"},
        {IDB_DPI_TRACK, 404, 42, "DPI track"},
        Units(IDB_KEY_CAPTURE_BG, 93, 59, "key capture background"),
    };
    for (int level = 0; level < 4; ++level) {
        p.push_back(Units(IDB_LEVEL1 + 2 * level, 22, 10, "level label"));
        p.push_back(Units(IDB_LEVEL1_OVER + 2 * level, 22, 10, "level label, pointer-over"));
    }
    for (const LanguageRow& row : kLanguageRows)
        for (int id : row.ids) p.push_back(Units(id, row.unitsW, row.unitsH, row.role));
    return p;
}

// A bitmap resource read back as top-down 24-bit pixels.
class Pixels {
public:
    explicit Pixels(int id, UINT dpi = skin::kBaseDpi, COLORREF key = CLR_INVALID) {
        HBITMAP bmp = skin::LoadPicture(id, dpi, key);
        if (!bmp) return;
        BITMAP info{};
        GetObjectW(bmp, sizeof info, &info);
        width_ = info.bmWidth;
        height_ = info.bmHeight;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bi.bmiHeader.biCompression = BI_RGB;
        stride_ = ((width_ * 3 + 3) / 4) * 4;
        bits_.resize(static_cast<size_t>(stride_) * height_);
        HDC dc = CreateCompatibleDC(nullptr);
        int rows = GetDIBits(dc, bmp, 0, height_, bits_.data(), &bi, DIB_RGB_COLORS);
        DeleteDC(dc);
        DeleteObject(bmp);
        ok_ = rows == height_;
    }
    bool ok() const { return ok_; }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const {
        const uint8_t* p = &bits_[static_cast<size_t>(y) * stride_ + x * 3];
        return RGB(p[2], p[1], p[0]);
    }
    int count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += at(x, y) == c;
        return n;
    }

private:
    bool ok_ = false;
    int width_ = 0, height_ = 0, stride_ = 0;
    std::vector<uint8_t> bits_;
};

std::string Hex(COLORREF c) {
    char buf[32];
    snprintf(buf, sizeof buf, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

const COLORREF kSkinKey = RGB(20, 255, 12);
const COLORREF kPureGreen = RGB(0, 255, 0);
const COLORREF kSmallButtonKey = RGB(255, 20, 0);
const COLORREF kThumbKey = RGB(0, 0, 0);

}  // namespace

TEST(Resources, EveryBitmapHasItsControlsSize) {
    for (const Picture& p : AllPictures()) {
        HBITMAP bmp = skin::LoadPicture(p.id, skin::kBaseDpi);
        ASSERT_NE(bmp, nullptr) << "bitmap " << p.id << " (" << p.role << ") is missing";
        BITMAP info{};
        ASSERT_EQ(GetObjectW(bmp, sizeof info, &info), static_cast<int>(sizeof info)) << p.id;
        EXPECT_EQ(info.bmWidth, p.width) << "width of bitmap " << p.id << " (" << p.role << ")";
        EXPECT_EQ(info.bmHeight, p.height) << "height of bitmap " << p.id << " (" << p.role << ")";
        DeleteObject(bmp);
    }
}

// The 2x set is drawn at twice the pixels. Scaled from it to 144 DPI, the
// main picture keeps its cut-away outside exact, with none of the key colour
// blended into the window's edge.
TEST(Resources, TwiceSetIsTwiceTheSizeAndScalesCleanly) {
    for (const Picture& p : AllPictures()) {
        Pixels twice(p.id, 2 * skin::kBaseDpi);
        ASSERT_TRUE(twice.ok()) << p.id;
        EXPECT_EQ(twice.width(), 2 * p.width) << "bitmap " << p.id << " (" << p.role << ") at 2x";
        EXPECT_EQ(twice.height(), 2 * p.height) << "bitmap " << p.id << " (" << p.role << ") at 2x";
    }
    Pixels bg(IDB_MAIN_BG, 144, kSkinKey);
    ASSERT_TRUE(bg.ok());
    EXPECT_EQ(bg.width(), 1211);
    EXPECT_EQ(bg.height(), 845);
    EXPECT_EQ(bg.at(0, 0), kSkinKey);
    EXPECT_EQ(bg.at(1210, 844), kSkinKey);
    EXPECT_NE(bg.at(600, 420), kSkinKey);
    int greenish = 0;
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x) {
            const COLORREF c = bg.at(x, y);
            greenish += c != kSkinKey && GetGValue(c) > GetRValue(c) + 80 && GetGValue(c) > GetBValue(c) + 80;
        }
    EXPECT_EQ(greenish, 0) << "pixels with the key blended in";
}

// Scaled from the 2x set, a pixel of the main picture is cut away exactly
// where the centre of its area is cut away at 2x: at 144 DPI the window's
// shape neither grows nor moves by a row or a column.
TEST(Resources, ScaledShapeIsCutWhereThe2xPictureIsCutAtEachPixelsCentre) {
    Pixels twice(IDB_MAIN_BG, 2 * skin::kBaseDpi, kSkinKey), scaled(IDB_MAIN_BG, 144, kSkinKey);
    ASSERT_TRUE(twice.ok() && scaled.ok());
    int wrong = 0;
    std::string first;
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x) {
            const int sx = (2 * x + 1) * twice.width() / (2 * scaled.width());
            const int sy = (2 * y + 1) * twice.height() / (2 * scaled.height());
            if ((scaled.at(x, y) == kSkinKey) == (twice.at(sx, sy) == kSkinKey)) continue;
            if (!wrong++) first = std::to_string(x) + "," + std::to_string(y);
        }
    EXPECT_EQ(wrong, 0) << "pixels cut or kept against the 2x picture, the first at " << first;
}

TEST(Resources, LanguageVariantsAreDistinctPictures) {
    // Each language paints its own words: a variant must not be a copy of
    // the English picture (OK is shared by the five Latin-script languages).
    for (const LanguageRow& row : kLanguageRows) {
        Pixels english(row.ids[0]);
        ASSERT_TRUE(english.ok()) << row.ids[0];
        for (int lang = 1; lang < 6; ++lang) {
            if (row.ids[lang] == row.ids[0]) continue;
            Pixels other(row.ids[lang]);
            ASSERT_TRUE(other.ok()) << row.ids[lang];
            ASSERT_EQ(other.width(), english.width()) << row.ids[lang];
            int differing = 0;
            for (int y = 0; y < english.height(); ++y)
                for (int x = 0; x < english.width(); ++x) differing += english.at(x, y) != other.at(x, y);
            EXPECT_GT(differing, 20) << "bitmap " << row.ids[lang] << " (" << row.role << ", language " << lang
                                     << ") looks like the English " << row.ids[0];
        }
    }
}

TEST(Resources, IconLoadsAtEachSize) {
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << "icon at " << size << " px";
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(icon, &ii)) << size;
        BITMAP color{};
        ASSERT_NE(ii.hbmColor, nullptr) << "icon at " << size << " px has no colour image";
        GetObjectW(ii.hbmColor, sizeof color, &color);
        EXPECT_EQ(color.bmWidth, size);
        EXPECT_EQ(color.bmHeight, size);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, IconGroupHoldsExactSizes) {
    // Exact entries, so that the shell never scales a larger image down.
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(IDI_APP), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(res, nullptr);
    const uint8_t* dir = static_cast<const uint8_t*>(LockResource(LoadResource(self, res)));
    ASSERT_NE(dir, nullptr);
    const int count = dir[4] | (dir[5] << 8);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = dir + 6 + 14 * i;  // GRPICONDIRENTRY
        sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        EXPECT_EQ(entry[0], entry[1]) << "entry " << i << " is not square";
    }
    for (int want : {16, 32, 48, 256}) {
        bool found = false;
        for (int s : sizes) found = found || s == want;
        EXPECT_TRUE(found) << "no " << want << " px image in the icon";
    }
}

TEST(Resources, MainBackgroundCutsTheWindowShapeWithItsKey) {
    Pixels bg(IDB_MAIN_BG);
    ASSERT_TRUE(bg.ok());
    // Cut corners.
    for (POINT p : {POINT{0, 0}, POINT{803, 0}, POINT{0, 562}, POINT{803, 562}, POINT{780, 540}})
        EXPECT_EQ(bg.at(p.x, p.y), kSkinKey) << "corner " << p.x << "," << p.y << " is " << Hex(bg.at(p.x, p.y));
    // The three columns right of the region's width are outside too.
    for (int x = 804; x < 807; ++x)
        for (int y : {0, 100, 300, 562}) EXPECT_EQ(bg.at(x, y), kSkinKey) << x << "," << y;
    // Where controls and pages sit, the window is solid.
    struct Spot {
        int x, y;
        const char* what;
    } solid[] = {
        {UnitsToX(363) + 20, UnitsToY(3) + 10, "close button"},
        {UnitsToX(19) + 2, UnitsToY(16) + 2, "banner"},
        {UnitsToX(27) + 2, UnitsToY(265) + 28, "OK button's bottom left"},
        {UnitsToX(180) + 120, UnitsToY(265) + 28, "Apply button's bottom right"},
        {UnitsToX(21), UnitsToY(90), "page area"},
        {UnitsToX(21) + 727, UnitsToY(90) + 338, "performance page's far corner"},
        {UnitsToX(357) + 20, UnitsToY(58) + 10, "Chinese flag"},
        {400, 300, "middle"},
    };
    for (const Spot& s : solid)
        EXPECT_NE(bg.at(s.x, s.y), kSkinKey) << s.what << " at " << s.x << "," << s.y << " is cut away";
    // The key appears only outside: between a row's first and last solid
    // pixel there is no key-coloured one.
    for (int y = 0; y < bg.height(); ++y) {
        int first = 0, last = bg.width() - 1;
        while (first < bg.width() && bg.at(first, y) == kSkinKey) ++first;
        while (last >= 0 && bg.at(last, y) == kSkinKey) --last;
        ASSERT_LE(first, last) << "row " << y << " is cut away entirely";
        for (int x = first; x <= last; ++x)
            ASSERT_NE(bg.at(x, y), kSkinKey) << "hole in the window at " << x << "," << y;
    }
}

TEST(Resources, SkinButtonPicturesShowEveryPixel) {
    // A button fills key-coloured pixels with its face colour, not with the
    // window behind it; so the pictures carry no key colour at all, and
    // antialiasing never lands on a key by chance.
    struct Keyed {
        int first, last;
        COLORREF key;
        const char* what;
    } keyed[] = {
        {151, 156, kPureGreen, "OK / Apply / Cancel"},
        {208, 211, kPureGreen, "German Apply / Cancel"},
        {256, 259, kPureGreen, "Chinese Apply / Cancel"},
        {268, 269, kPureGreen, "Chinese OK"},
        {163, 170, kPureGreen, "level labels"},
        {158, 160, kSkinKey, "title buttons"},
        {176, 187, kSkinKey, "banner and page buttons"},
        {212, 219, kSkinKey, "German page buttons"},
        {260, 267, kSkinKey, "Chinese page buttons"},
        {282, 287, kSkinKey, "flags"},
        {191, 191, kSmallButtonKey, "small button"},
        {171, 171, kThumbKey, "thumb"},
    };
    for (const Keyed& k : keyed)
        for (int id = k.first; id <= k.last; ++id) {
            Pixels p(id);
            ASSERT_TRUE(p.ok()) << id;
            EXPECT_EQ(p.count(k.key), 0) << k.what << ": bitmap " << id << " has pixels of its key " << Hex(k.key);
        }
}

TEST(Resources, TrackMarksSitAtTheirOffsets) {
    Pixels track(IDB_DPI_TRACK);
    ASSERT_TRUE(track.ok());
    const int marks[] = {12, 75, 138, 200, 265, 326, 390};
    // A mark is a bright accent tick under the rail; halfway between two
    // marks the same row is dark.
    for (int i = 0; i < 7; ++i) {
        COLORREF on = track.at(marks[i], 9);
        EXPECT_GT(GetBValue(on), 200) << "mark " << marks[i] << " is " << Hex(on);
        if (i < 6) {
            int between = (marks[i] + marks[i + 1]) / 2 + 3;
            COLORREF off = track.at(between, 9);
            EXPECT_LT(GetBValue(off), 150) << "between marks at " << between << ": " << Hex(off);
        }
    }
    // The thumb rides on the rail: its centre row is the rail's.
    COLORREF rail = track.at(200, 3);
    COLORREF below = track.at(200, 16);
    EXPECT_NE(rail, below);
}
