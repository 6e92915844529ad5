// Bitmap font: measuring and drawing text one glyph blit at a time from a 16-column sheet.
#include "tarvo/video/font.h"

#include "tarvo/fs/archive.h"

namespace tarvo
{

namespace
{

const int kFirstGlyph = 32;
const int kSheetColumns = 16;

// Codes that take up room on a line: every glyph, and tab, which is drawn as a space.
bool advances(unsigned char code)
{
    return code >= kFirstGlyph || code == '\t';
}

} // namespace

BitmapFont::BitmapFont(const char* sheetName, int cellWidth, int cellHeight)
{
    // A missing sheet is not worth a warning: the font just draws nothing.
    SDL_RWops* stream = openArchiveStream(sheetName);
    if (stream) {
        loadSheet(stream);
    }
    for (int& width : glyphWidths) {
        width = cellWidth;
    }
    this->cellWidth = cellWidth;
    this->cellHeight = cellHeight;
}

void BitmapFont::loadSheet(SDL_RWops* stream)
{
    sheet.loadFromStream(stream, 1);
    const SDL_Color magenta = {255, 0, 255, 0};
    sheet.setColorKey(SDL_SRCCOLORKEY, sheet.mapRgb(magenta));
}

int BitmapFont::lineWidth(const char* text) const
{
    int width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && *p != '\n';
         ++p) {
        if (advances(*p)) {
            width += glyphWidths[*p];
        }
    }
    return width;
}

int BitmapFont::textWidth(const char* text) const
{
    int widest = 0;
    int width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '\n') {
            width = 0;
        } else if (advances(*p)) {
            width += glyphWidths[*p];
        }
        if (width > widest) {
            widest = width;
        }
    }
    return widest;
}

void BitmapFont::drawText(Surface& target, int x, int y, const char* text, int flags) const
{
    if (!sheet.getSdlSurface() || !target.getSdlSurface()) {
        return;
    }
    const bool centre = (flags & centered) != 0;
    const int widest = centre ? textWidth(text) : 0;
    // Arithmetic shift: an odd leftover rounds the line to the left.
    const auto lineStart = [&](const char* line) {
        return centre ? x + ((widest - lineWidth(line)) >> 1) : x;
    };

    // SDL rectangles hold 16-bit signed coordinates, so the pen is kept in that range.
    Sint16 penX = static_cast<Sint16>(lineStart(text));
    Sint16 penY = static_cast<Sint16>(y);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned char code = *p;
        if (code == '\t') {
            code = ' ';
        }
        if (code == '\n') {
            penX = static_cast<Sint16>(lineStart(reinterpret_cast<const char*>(p + 1)));
            penY = static_cast<Sint16>(penY + cellHeight + 1);
            continue;
        }
        if (code < kFirstGlyph) {
            continue;
        }
        // The advance is the source rectangle's width as asked for, never the clipped size SDL
        // writes back, so a glyph cut off at the target's edge still moves the pen fully.
        const int advance = glyphWidths[code];
        SDL_Rect source;
        source.x = static_cast<Sint16>((code % kSheetColumns) * cellWidth);
        source.y = static_cast<Sint16>((code - kFirstGlyph) / kSheetColumns * cellHeight);
        source.w = static_cast<Uint16>(advance);
        source.h = static_cast<Uint16>(cellHeight);
        SDL_Rect dest = {penX, penY, 0, 0};
        target.blitFrom(sheet, &source, &dest);
        penX = static_cast<Sint16>(penX + advance);
    }
}

} // namespace tarvo
