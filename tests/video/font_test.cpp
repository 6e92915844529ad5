#include "support/capturedlog.h"
#include "support/tempdir.h"
#include "video/font.h"

#include <gtest/gtest.h>
#include <memory>
#include <physfs.h>
#include <string>
#include <vector>

namespace
{

const uint32_t kBackground = 0x123456;

// Every sheet pixel says where it came from: red = character code, green = 16 * column +
// row inside the cell, blue fixed. The cell's bottom-right pixel is magenta instead.
uint32_t encode(int code, int column, int row)
{
    return static_cast<uint32_t>(code) << 16 | static_cast<uint32_t>(column * 16 + row) << 8 | 0x55;
}

// Writes a full 16 x 14 cell sheet (codes 32 to 255) as a BMP; SDL_image decodes it by content
// whatever its name.
void writeSheet(const std::string& path, int cellWidth, int cellHeight)
{
    SDL_Surface* sheet = SDL_CreateRGBSurface(SDL_SWSURFACE, 16 * cellWidth, 14 * cellHeight, 32,
                                              0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(sheet, nullptr);
    for (int code = 32; code < 256; ++code) {
        for (int row = 0; row < cellHeight; ++row) {
            for (int column = 0; column < cellWidth; ++column) {
                const int x = code % 16 * cellWidth + column;
                const int y = (code - 32) / 16 * cellHeight + row;
                const bool corner = column == cellWidth - 1 && row == cellHeight - 1;
                static_cast<uint32_t*>(sheet->pixels)[y * (sheet->pitch / 4) + x] =
                    corner ? 0xFF00FF : encode(code, column, row);
            }
        }
    }
    ASSERT_EQ(SDL_SaveBMP(sheet, path.c_str()), 0);
    SDL_FreeSurface(sheet);
}

struct Glyph {
    int code;
    int x;
    int y;
};

class BitmapFontTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        gameDir = std::make_unique<TempDir>();
        writeSheet(gameDir->path + "/sheet8.png", 8, 8);
        writeSheet(gameDir->path + "/sheet5x6.png", 5, 6);
        gameDir->write("junk.png", "this is not a picture");
        ASSERT_NE(PHYSFS_init(nullptr), 0);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        ASSERT_NE(PHYSFS_addToSearchPath(gameDir->path.c_str(), 1), 0);
#pragma GCC diagnostic pop
    }
    static void TearDownTestSuite()
    {
        PHYSFS_deinit();
        gameDir.reset();
        SDL_Quit();
    }

    void SetUp() override
    {
        makeTarget(240, 120);
    }

    void makeTarget(int width, int height)
    {
        target.create(argbFormat(width, height));
        ASSERT_NE(target.getSdlSurface(), nullptr);
        target.fillRect(nullptr, kBackground);
    }

    // The picture the glyphs should leave on the target: each cell copied where it lands,
    // clipped to the target, minus its magenta corner.
    std::vector<uint32_t> expected(const std::vector<Glyph>& glyphs, int cellWidth,
                                   int cellHeight) const
    {
        const int width = target.getWidth();
        const int height = target.getHeight();
        std::vector<uint32_t> picture(static_cast<size_t>(width * height), kBackground);
        for (const Glyph& glyph : glyphs) {
            for (int row = 0; row < cellHeight; ++row) {
                for (int column = 0; column < cellWidth; ++column) {
                    const int x = glyph.x + column;
                    const int y = glyph.y + row;
                    const bool corner = column == cellWidth - 1 && row == cellHeight - 1;
                    if (!corner && x >= 0 && x < width && y >= 0 && y < height) {
                        picture[static_cast<size_t>(y * width + x)] =
                            encode(glyph.code, column, row);
                    }
                }
            }
        }
        return picture;
    }

    // Compares the whole target, reporting the first wrong pixel and how many are wrong.
    void expectPicture(const std::vector<uint32_t>& picture) const
    {
        const SDL_Surface* s = target.getSdlSurface();
        int wrong = 0;
        std::string first;
        for (int y = 0; y < s->h; ++y) {
            for (int x = 0; x < s->w; ++x) {
                const uint32_t actual =
                    static_cast<const uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] & 0xFFFFFF;
                const uint32_t want = picture[static_cast<size_t>(y * s->w + x)];
                if (actual != want && wrong++ == 0) {
                    char text[96];
                    std::snprintf(text, sizeof text, "(%d, %d) is %06X, expected %06X", x, y,
                                  actual, want);
                    first = text;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << "first: " << first;
    }

    static std::unique_ptr<TempDir> gameDir;
    Surface target;
};

std::unique_ptr<TempDir> BitmapFontTest::gameDir;

TEST_F(BitmapFontTest, MeasuresWidestLineAndSkipsControlCharacters)
{
    CapturedLog log;
    const BitmapFont font("sheet8.png", 8, 8);
    // Widths are in cells; a font of odd cell width shows nothing is fixed at 8.
    const BitmapFont narrow("sheet5x6.png", 5, 6);
    struct Row {
        const char* text;
        int textCells;
        int lineCells;
    };
    const Row rows[] = {
        {"", 0, 0},
        {"Sound Demo\nPress X to Exit", 15, 10},
        {"AB", 2, 2},
        {"A\tB", 3, 3},               // tab counts like a space
        {"A\rB\x01\x1f", 2, 2},       // other control characters count nothing
        {"\xff\x80\xa0", 3, 3},       // high codes are unsigned, not negative
        {"a\n\nabc\n", 3, 1},         // empty lines and a trailing newline
        {"\n\nabcd", 4, 0},           // the first line is empty
        {"abcd\nab\nabcdef\na", 6, 4} // the widest line is in the middle
    };
    for (const Row& row : rows) {
        EXPECT_EQ(font.textWidth(row.text), row.textCells * 8) << row.text;
        EXPECT_EQ(font.lineWidth(row.text), row.lineCells * 8) << row.text;
        EXPECT_EQ(narrow.textWidth(row.text), row.textCells * 5) << row.text;
        EXPECT_EQ(narrow.lineWidth(row.text), row.lineCells * 5) << row.text;
    }
    EXPECT_EQ(log.text(), "");
}

TEST_F(BitmapFontTest, DrawsEachCharacterFromItsCellAtThePen)
{
    CapturedLog log;
    const BitmapFont font("sheet8.png", 8, 8);
    struct Case {
        const char* name;
        const char* text;
        int x;
        int y;
        int flags;
        std::vector<Glyph> glyphs;
    };
    const Case cases[] = {
        {"two letters", "AB", 0, 0, 0, {{'A', 0, 0}, {'B', 8, 0}}},
        {"centred lines",
         "Sound Demo\nPress X to Exit",
         100,
         92,
         BitmapFont::centered,
         {{'S', 120, 92},  {'o', 128, 92},  {'u', 136, 92},  {'n', 144, 92},  {'d', 152, 92},
          {' ', 160, 92},  {'D', 168, 92},  {'e', 176, 92},  {'m', 184, 92},  {'o', 192, 92},
          {'P', 100, 101}, {'r', 108, 101}, {'e', 116, 101}, {'s', 124, 101}, {'s', 132, 101},
          {' ', 140, 101}, {'X', 148, 101}, {' ', 156, 101}, {'t', 164, 101}, {'o', 172, 101},
          {' ', 180, 101}, {'E', 188, 101}, {'x', 196, 101}, {'i', 204, 101}, {'t', 212, 101}}},
        {"left-aligned lines", "AB\nC", 5, 7, 0, {{'A', 5, 7}, {'B', 13, 7}, {'C', 5, 16}}},
        {"last cells of the sheet", "\xff\x80", 3, 2, 0, {{255, 3, 2}, {128, 11, 2}}},
        {"tab draws a space", "A\tB", 0, 0, 0, {{'A', 0, 0}, {' ', 8, 0}, {'B', 16, 0}}},
        {"control characters neither draw nor move",
         "A\r\x01\x1f"
         "B",
         0,
         0,
         0,
         {{'A', 0, 0}, {'B', 8, 0}}},
        {"consecutive newlines", "A\n\n\nB", 4, 3, 0, {{'A', 4, 3}, {'B', 4, 30}}},
        {"clipped on the left still advances fully",
         "ABC",
         -4,
         -3,
         0,
         {{'A', -4, -3}, {'B', 4, -3}, {'C', 12, -3}}},
        {"clipped on the right", "ABC", 226, 116, 0, {{'A', 226, 116}, {'B', 234, 116}}},
        {"pen is a 16-bit signed coordinate", "A", 65536 + 6, 65536 + 1, 0, {{'A', 6, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        target.fillRect(nullptr, kBackground);
        font.drawText(target, c.x, c.y, c.text, c.flags);
        expectPicture(expected(c.glyphs, 8, 8));
    }
    EXPECT_EQ(log.text(), "");
}

TEST_F(BitmapFontTest, CentringRoundsOddDifferencesDownAndSpacesLinesByCellHeight)
{
    CapturedLog log;
    const BitmapFont font("sheet5x6.png", 5, 6);
    struct Case {
        const char* text;
        int x;
        std::vector<Glyph> glyphs;
    };
    // Widths 10 and 5: the second line starts (10 - 5) >> 1 = 2 pixels in; lines are 7 apart.
    const Case cases[] = {
        {"AB\nC", 3, {{'A', 3, 4}, {'B', 8, 4}, {'C', 5, 11}}},
        {"C\nAB", 3, {{'C', 5, 4}, {'A', 3, 11}, {'B', 8, 11}}},
        {"AB\nC", -3, {{'A', -3, 4}, {'B', 2, 4}, {'C', -1, 11}}},
        {"ABC\n\nD", 0, {{'A', 0, 4}, {'B', 5, 4}, {'C', 10, 4}, {'D', 5, 18}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        target.fillRect(nullptr, kBackground);
        font.drawText(target, c.x, 4, c.text, BitmapFont::centered);
        expectPicture(expected(c.glyphs, 5, 6));
    }
    EXPECT_EQ(log.text(), "");
}

TEST_F(BitmapFontTest, FontWithoutSheetOrTargetDrawsNothing)
{
    struct Case {
        const char* sheet;
        const char* log;
    };
    const Case cases[] = {
        {"missing.png", ""},
        {"junk.png", "Warning: IMG_Load_RW failed.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sheet);
        CapturedLog log;
        const BitmapFont font(c.sheet, 8, 8);
        target.fillRect(nullptr, kBackground);
        font.drawText(target, 0, 0, "AB", 0);
        expectPicture(expected({}, 8, 8));
        EXPECT_EQ(font.textWidth("AB"), 16);
        EXPECT_EQ(log.text(), c.log);
    }

    CapturedLog log;
    const BitmapFont font("sheet8.png", 8, 8);
    Surface empty;
    font.drawText(empty, 0, 0, "AB", BitmapFont::centered);
    EXPECT_EQ(empty.getSdlSurface(), nullptr);
    EXPECT_EQ(log.text(), "");
}

} // namespace
