/// @file
/// BitmapFont: monospaced text cut from a 16-column glyph sheet that starts at character 32,
/// magenta transparent, drawn one blit per character, left-aligned or with centred lines.
#pragma once

#include "tarvo/api.h"
#include "tarvo/video/surface.h"

#include <SDL.h>

namespace tarvo
{

/// A monospaced bitmap font from a glyph sheet.
///
/// The sheet holds characters 32 to 255 in rows of 16 cells, cellWidth x cellHeight each;
/// magenta (255, 0, 255) is transparent. Tab draws as a space, other codes below 32 are skipped
/// and '\n' starts a new line.
class TARVO_API BitmapFont
{
public:
    /// drawText flags.
    enum : int {
        centered = 1 ///< Centre every line within the widest one.
    };

    /// Loads the sheet (PNG or BMP) by virtual name; a missing sheet leaves a font that draws
    /// nothing but still measures text.
    BitmapFont(const char* sheetName, int cellWidth, int cellHeight);
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    /// Draws text with its first line's pen at (x, y); with centered, every line is centred
    /// within the widest one. Lines are cellHeight + 1 apart.
    void drawText(Surface& target, int x, int y, const char* text, int flags) const;
    /// Width in pixels of the widest line.
    int textWidth(const char* text) const;
    /// Width in pixels up to the first newline.
    int lineWidth(const char* text) const;

private:
    void loadSheet(SDL_RWops* stream);

    Surface sheet;
    int glyphWidths[256] = {};
    int cellWidth = 0;
    int cellHeight = 0;
};

} // namespace tarvo
