// Sprite sheets cut from a Tiled tileset, sprites playing their animations tick by tick, and
// flipped frames drawn as the exact mirror, colour key and alpha included.
#include "pixels.h"
#include "support/capturedlog.h"
#include "tarvo/tiles/sprite.h"
#include "tarvo/video/pngfile.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

const uint32_t kBackground = 0x202020;

// A 7 x 5 RGBA sheet of four 3 x 2 tiles, a pixel of spacing between them. Every pixel has its
// own colour; frame 1 also holds a magenta pixel (the tileset's transparent colour), one of
// alpha 0 and one of alpha 128.
std::string writeTileset(const TempDir& dir, const std::string& extra = "")
{
    std::vector<uint8_t> rgba(7 * 5 * 4);
    for (int i = 0; i < 7 * 5; ++i) {
        const uint8_t pixel[4] = {uint8_t(i * 7), uint8_t(200 - i * 5), uint8_t(40 + i), 255};
        std::copy(pixel, pixel + 4, &rgba[size_t(i) * 4]);
    }
    const auto set = [&](int x, int y, std::array<uint8_t, 4> pixel) {
        std::copy(pixel.begin(), pixel.end(), &rgba[size_t(y * 7 + x) * 4]);
    };
    set(4, 0, {255, 0, 255, 255});
    set(5, 1, {0, 0, 255, 0});
    set(6, 1, {192, 0, 0, 128});
    writePng(dir.file("art/sheet.png"), rgba.data(), 7, 5, 4);
    return dir.write("art/sheet.tsx",
                     "<tileset name=\"s\" tilewidth=\"3\" tileheight=\"2\" spacing=\"1\" "
                     "tilecount=\"4\" columns=\"2\">\n"
                     " <image source=\"sheet.png\" trans=\"ff00ff\" width=\"7\" height=\"5\"/>\n"
                     " <tile id=\"1\"><animation><frame tileid=\"2\" duration=\"100\"/>"
                     "<frame tileid=\"3\" duration=\"50\"/></animation></tile>\n" +
                         extra + "</tileset>\n");
}

TEST(SpriteTest, TilesetTilesBecomeFramesWithTheirAnimations)
{
    TempDir dir;
    SpriteSheet sheet;
    ASSERT_TRUE(sheet.loadTileset(writeTileset(dir)));
    ASSERT_EQ(sheet.count(), 4);
    const SDL_Rect& last = sheet.frameRect(3);
    EXPECT_EQ(std::vector<int>({last.x, last.y, last.w, last.h}), std::vector<int>({4, 3, 3, 2}));
    const Animation& animation = sheet.animation(1);
    ASSERT_EQ(animation.frames.size(), 2u);
    EXPECT_EQ(std::make_pair(animation.frames[0].index, animation.frames[0].ticks),
              std::make_pair(2, 6)); // 100 ms
    EXPECT_EQ(std::make_pair(animation.frames[1].index, animation.frames[1].ticks),
              std::make_pair(3, 3)); // 50 ms
    EXPECT_TRUE(sheet.animation(0).frames.empty());
}

TEST(SpriteTest, AFailedLoadLeavesTheSheetAsItWas)
{
    TempDir dir;
    CapturedLog log;
    SpriteSheet sheet;
    ASSERT_TRUE(sheet.loadTileset(writeTileset(dir)));
    const std::string outside = dir.write("outside.tsx", "<tileset tilewidth=\"3\" "
                                                         "tileheight=\"3\" tilecount=\"4\" "
                                                         "columns=\"2\"><image "
                                                         "source=\"art/sheet.png\"/></tileset>");
    EXPECT_FALSE(sheet.loadTileset(outside));
    EXPECT_FALSE(sheet.loadTileset(dir.file("missing.tsx")));
    EXPECT_EQ(sheet.count(), 4);
    EXPECT_EQ(sheet.animation(1).frames.size(), 2u);
    EXPECT_NE(log.text().find("Warning: " + outside + ": frame 2 lies outside the image"),
              std::string::npos);
}

TEST(SpriteTest, AnimationsPlayTickByTick)
{
    TempDir dir;
    SpriteSheet sheet;
    ASSERT_TRUE(sheet.loadTileset(writeTileset(dir)));
    sheet.image().setColorKey(0, 0);
    sheet.image().setAlpha(0, 255);
    const struct {
        const char* name;
        bool loop;
        const char* frames; // the frame drawn after play and after each update
    } rows[] = {{"loops", true, "0013330013"}, {"once holds the last", false, "0013333333"}};
    for (const auto& row : rows) {
        Animation animation;
        animation.frames = {{0, 2}, {1, 1}, {3, 3}};
        animation.loop = row.loop;
        Sprite sprite;
        sprite.sheet = &sheet;
        sprite.x = 10; // at 5, 3 for the camera at 5, 7
        sprite.y = 10;
        sprite.play(animation);
        std::string shown;
        for (int tick = 0; tick < 10; ++tick) {
            Surface target;
            target.create(argbFormat(8, 8));
            sprite.draw(target, 5, 7);
            for (int frame = 0; frame < sheet.count(); ++frame) {
                const SDL_Rect& rect = sheet.frameRect(frame);
                if (pixelAt(target, 5, 3) == pixelAt(sheet.image(), rect.x, rect.y)) {
                    shown += char('0' + frame);
                }
            }
            sprite.play(animation); // as a game may every tick: it goes on playing
            sprite.update();
        }
        EXPECT_EQ(shown, row.frames) << row.name;
    }
}

TEST(SpriteTest, AFlippedFrameIsTheExactMirror)
{
    TempDir dir;
    SpriteSheet sheet;
    ASSERT_TRUE(sheet.loadTileset(writeTileset(dir)));
    Surface& image = sheet.image();
    const uint32_t magenta = image.mapRgb({255, 0, 255, 0});
    // In this order, so the mirror made at the first flipped draw must follow later changes.
    const struct {
        const char* name;
        bool key, alpha;
        int hidden; // frame pixels that leave the background showing
    } rows[] = {{"opaque", false, false, 0},
                {"colour key", true, false, 1},
                {"per-pixel alpha", false, true, 1}};
    for (const auto& row : rows) {
        image.setColorKey(row.key ? SDL_SRCCOLORKEY : 0, magenta);
        image.setAlpha(row.alpha ? SDL_SRCALPHA : 0, 255);
        Surface plain, flipped;
        for (Surface* target : {&plain, &flipped}) {
            target->create(argbFormat(9, 4));
            target->fillRect(nullptr, kBackground);
            sheet.draw(*target, 1, 2, 1, target == &flipped);
        }
        int hidden = 0;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 9; ++x) {
                const bool inFrame = x >= 2 && x < 5 && y >= 1 && y < 3;
                const int mirrorX = inFrame ? 6 - x : x;
                EXPECT_EQ(pixelAt(flipped, x, y), pixelAt(plain, mirrorX, y))
                    << row.name << " at " << x << ", " << y;
                hidden += inFrame && pixelAt(plain, x, y) == kBackground;
                if (inFrame && !row.key && !row.alpha) {
                    EXPECT_EQ(pixelAt(plain, x, y), pixelAt(image, x + 2, y - 1)) << x << ", " << y;
                }
            }
        }
        EXPECT_EQ(hidden, row.hidden) << row.name;
    }
}

} // namespace
