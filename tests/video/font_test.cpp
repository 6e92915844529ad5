// The bitmap font: each character measured and drawn from its cell of the sheet at the pen,
// control characters, centring and clipping.
#include "support/gamedir.h"
#include "tarvo/video/font.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tarvo;

namespace
{

const uint32_t kBackground = 0x123456;
const uint32_t kMagenta = 0xFF00FF;

// Every sheet pixel tells where it came from (red = code, green = column and row in the cell);
// each cell's bottom-right pixel is the transparent magenta.
uint32_t sheetPixel(int code, int column, int row, int cellWidth, int cellHeight)
{
    const bool corner = column == cellWidth - 1 && row == cellHeight - 1;
    return corner ? kMagenta : static_cast<uint32_t>(code << 16 | (column * 16 + row) << 8 | 0x55);
}

// A 16 x 14 cell sheet for codes 32 to 255, saved as BMP under a .png name.
void writeSheet(const std::string& path, int cellWidth, int cellHeight)
{
    SDL_Surface* sheet = SDL_CreateRGBSurface(SDL_SWSURFACE, 16 * cellWidth, 14 * cellHeight, 32,
                                              0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(sheet, nullptr);
    for (int y = 0; y < sheet->h; ++y) {
        for (int x = 0; x < sheet->w; ++x) {
            static_cast<uint32_t*>(sheet->pixels)[y * sheet->pitch / 4 + x] =
                sheetPixel(32 + y / cellHeight * 16 + x / cellWidth, x % cellWidth, y % cellHeight,
                           cellWidth, cellHeight);
        }
    }
    ASSERT_EQ(SDL_SaveBMP(sheet, path.c_str()), 0);
    SDL_FreeSurface(sheet);
}

// Glyphs expected side by side from (x, y), one cell apart.
struct Line {
    const char* glyphs;
    int x, y;
};

// Compares the whole target with the expected lines' cells, clipped, corners left out.
void expectPicture(const Surface& target, const std::vector<Line>& lines, int cellWidth,
                   int cellHeight)
{
    const SDL_Surface* s = target.getSdlSurface();
    std::vector<uint32_t> want(static_cast<size_t>(s->w * s->h), kBackground);
    for (const Line& line : lines) {
        for (int i = 0; line.glyphs[i]; ++i) {
            for (int row = 0; row < cellHeight; ++row) {
                for (int column = 0; column < cellWidth; ++column) {
                    const int x = line.x + i * cellWidth + column, y = line.y + row;
                    const uint32_t p = sheetPixel(static_cast<unsigned char>(line.glyphs[i]),
                                                  column, row, cellWidth, cellHeight);
                    if (p != kMagenta && x >= 0 && x < s->w && y >= 0 && y < s->h) {
                        want[static_cast<size_t>(y * s->w + x)] = p;
                    }
                }
            }
        }
    }
    ASSERT_EQ(s->pitch, s->w * 4);
    for (int i = 0; i < s->w * s->h; ++i) {
        ASSERT_EQ(static_cast<const uint32_t*>(s->pixels)[i] & 0xFFFFFF, want[i])
            << "at (" << i % s->w << ", " << i / s->w << ")";
    }
}

TEST(BitmapFontTest, MeasuresAndDrawsEachCharacterFromItsCellAtThePen)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    const GameDir game;
    writeSheet(game.file("sheet8.png"), 8, 8);
    writeSheet(game.file("sheet5x6.png"), 5, 6);
    const BitmapFont font8("sheet8.png", 8, 8);
    const BitmapFont font5x6("sheet5x6.png", 5, 6);
    Surface target;
    target.create(argbFormat(240, 120));
    ASSERT_NE(target.getSdlSurface(), nullptr);

    struct Case {
        const char* text;
        int width, x, y;
        std::vector<Line> lines;
    };
    const Case cases[] = {
        {"AB", 16, 0, 0, {{"AB", 0, 0}}},
        {"\xff\x80", 16, 3, 2, {{"\xff\x80", 3, 2}}},
        {"A\t\rB\x01", 24, 0, 0, {{"A B", 0, 0}}}, // tab is a space, other controls nothing
        {"AB\n\n\nC", 16, 4, 3, {{"AB", 4, 3}, {"C", 4, 30}}},
        {"ABC", 24, -4, -3, {{"ABC", -4, -3}}}, // clipped glyphs still advance a whole cell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(font8.textWidth(c.text), c.width);
        target.fillRect(nullptr, kBackground);
        font8.drawText(target, c.x, c.y, c.text, 0);
        expectPicture(target, c.lines, 8, 8);
    }
    // Centred lines (also in every stage title the end-to-end tests find): an odd leftover
    // rounds left; lines are cell height + 1 apart.
    target.fillRect(nullptr, kBackground);
    font5x6.drawText(target, 3, 4, "AB\nC", BitmapFont::centered);
    expectPicture(target, {{"AB", 3, 4}, {"C", 5, 11}}, 5, 6);
}

} // namespace
