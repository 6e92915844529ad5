// Image loading through the virtual file system. A failed step logs one warning and leaves
// the Surface as it was; a successful one frees the picture it replaces.
#include "tarvo/core/log.h"
#include "tarvo/fs/archive.h"
#include "tarvo/video/surface.h"

#include <SDL_image.h>
#include <cstdint>
#include <cstring>

namespace tarvo
{

namespace
{

// SDL_image's PNG reader ignores short reads, so libpng, skipping a chunk whose length runs past
// the end of the file or looking for a chunk after the last, goes on reading nothing, up to
// 2 GiB a chunk: a hundred-byte file could take minutes. A PNG is therefore decoded only when
// its chunks lead to IEND inside the stream. The stream is left where it was.
bool pngChunksFit(SDL_RWops* stream)
{
    const int start = SDL_RWtell(stream);
    const int end = SDL_RWseek(stream, 0, RW_SEEK_END);
    bool complete = false;
    int64_t at = static_cast<int64_t>(start) + 8; // past the signature
    while (start >= 0 && end >= 0 && at + 12 <= end) {
        uint8_t header[8];
        if (SDL_RWseek(stream, static_cast<int>(at), RW_SEEK_SET) != at ||
            SDL_RWread(stream, header, sizeof header, 1) != 1) {
            break;
        }
        const uint32_t length =
            static_cast<uint32_t>(header[0]) << 24 | header[1] << 16 | header[2] << 8 | header[3];
        at += 12 + static_cast<int64_t>(length); // header, data and CRC
        if (std::memcmp(header + 4, "IEND", 4) == 0) {
            complete = at <= end;
            break;
        }
    }
    SDL_RWseek(stream, start, RW_SEEK_SET);
    return complete;
}

} // namespace

void Surface::loadImage(const char* name)
{
    SDL_RWops* stream = openArchiveStream(name);
    if (!stream) {
        gLog->print("Warning: Couldn't open image file '%s'.", name);
        return;
    }
    loadFromStream(stream, 1);
}

void Surface::loadFromStream(SDL_RWops* stream, int freeSource)
{
    // Only the formats the game's pictures and screenshots use: SDL_image's other readers trust
    // their headers as its PNG reader does (a 68-byte icon file asking for 65535 pictures takes
    // seconds), and it hands anything it does not recognise to its TGA reader.
    SDL_Surface* image = nullptr;
    if (IMG_isPNG(stream)) {
        image = pngChunksFit(stream) ? IMG_LoadPNG_RW(stream) : nullptr;
    } else if (IMG_isBMP(stream)) {
        image = IMG_LoadBMP_RW(stream);
    }
    if (freeSource) {
        SDL_RWclose(stream);
    }
    if (!image) {
        gLog->print("Warning: IMG_Load_RW failed.");
        return;
    }
    adopt(image);
}

void Surface::convertToDisplayFormat(bool withAlpha)
{
    if (!sdlSurface) {
        return;
    }
    SDL_Surface* converted =
        withAlpha ? SDL_DisplayFormatAlpha(sdlSurface) : SDL_DisplayFormat(sdlSurface);
    if (!converted) {
        gLog->print("Warning: SDL_DisplayFormat failed.");
        return;
    }
    adopt(converted);
}

} // namespace tarvo
