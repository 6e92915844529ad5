// BitmapFont: monospaced text cut from a 16-column glyph sheet that starts at character 32,
// magenta transparent, drawn one blit per character, left-aligned or with centred lines.
#pragma once

#include "tarvo/api.h"
#include "tarvo/video/surface.h"

#include <SDL.h>

namespace tarvo
{

class TARVO_API BitmapFont
{
public:
    enum : int { centered = 1 };

    // Loads the sheet by virtual name; a missing sheet leaves a font that draws nothing.
    BitmapFont(const char* sheetName, int cellWidth, int cellHeight);
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Draws text with its first line's pen at (x, y); with centered, every line is centred
    // within the widest one. Lines are cellHeight + 1 apart.
    void drawText(Surface& target, int x, int y, const char* text, int flags) const;
    // Width in pixels of the widest line.
    int textWidth(const char* text) const;
    // Width in pixels up to the first newline.
    int lineWidth(const char* text) const;

private:
    void loadSheet(SDL_RWops* stream);

    Surface sheet;
    int glyphWidths[256] = {};
    int cellWidth = 0;
    int cellHeight = 0;
};

} // namespace tarvo
