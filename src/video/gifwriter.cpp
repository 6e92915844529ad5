// GIF encoding over giflib. The last two pictures wait until their delays are settled (a picture
// too short to show merges into the one before it); everything older is already in the file.
#include "tarvo/video/gifwriter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <gif_lib.h>

namespace tarvo
{

namespace
{

constexpr int kMaxExactColours = 255; // the 256th index stays free for transparency
constexpr uint64_t kMinDelay = 2;     // browsers show anything shorter as 100 ms
constexpr uint64_t kMaxDelay = 65535; // the delay field's limit
// The quantiser works on 5-bit cells, so its box colours alone are up to this far off in a
// channel; a pixel farther than kOutlierError from every palette colour is an outlier, and a
// quantised picture with any keeps kOutlierSlots entries for the worst of them.
constexpr int kCellError = 8;
constexpr int kOutlierError = 12;
constexpr int kOutlierSlots = 16;

int channelError(const uint8_t* p, const GifColorType& colour)
{
    return std::max(
        {std::abs(colour.Red - p[0]), std::abs(colour.Green - p[1]), std::abs(colour.Blue - p[2])});
}

int squaredDistance(const uint8_t* p, const GifColorType& colour)
{
    const int r = colour.Red - p[0];
    const int g = colour.Green - p[1];
    const int b = colour.Blue - p[2];
    return r * r + g * g + b * b;
}

// Centiseconds from the start to tick at 60 ticks a second, to the nearest: 5t/3 never ties,
// and rounding the instants rather than each delay keeps the total exact.
uint64_t centiseconds(uint32_t tick)
{
    return (uint64_t{tick} * 100 + 30) / 60;
}

// Zero for ticks out of order rather than a wrapped delay that would take forever to split.
uint64_t shownFor(uint32_t from, uint32_t to)
{
    return to > from ? centiseconds(to) - centiseconds(from) : 0;
}

// The part of a delay written in one picture: at most the field's limit, and never leaving a
// remainder too short to show.
uint64_t delayPart(uint64_t delay)
{
    const uint64_t part = std::min(delay, kMaxDelay);
    return delay - part > 0 && delay - part < kMinDelay ? delay - kMinDelay : part;
}

} // namespace

GifWriter::~GifWriter()
{
    abandon();
}

int GifWriter::writeBytes(GifFileType* gif, const uint8_t* bytes, int count)
{
    FILE* file = static_cast<GifWriter*>(gif->UserData)->file;
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(count), file));
}

bool GifWriter::open(const std::string& target, int pictureWidth, int pictureHeight)
{
    abandon();
    if (pictureWidth <= 0 || pictureHeight <= 0 || pictureWidth > 65535 || pictureHeight > 65535) {
        return false;
    }
    file = std::fopen(target.c_str(), "wb");
    if (!file) {
        return false;
    }
    path = target;
    width = pictureWidth;
    height = pictureHeight;
    int error = 0;
    gif = EGifOpen(this, writeBytes, &error);
    if (!gif || !writeHeader()) {
        return fail();
    }
    canvas.assign(static_cast<size_t>(width) * height * 3, 0);
    return true;
}

// GIF89a without a global palette, looping forever (the NETSCAPE2.0 extension, count 0).
bool GifWriter::writeHeader()
{
    static const uint8_t kApplication[] = "NETSCAPE2.0";
    static const uint8_t kLoopForever[] = {1, 0, 0};
    EGifSetGifVersion(gif, true);
    return EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK &&
           EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, kApplication) == GIF_OK &&
           EGifPutExtensionBlock(gif, 3, kLoopForever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool GifWriter::add(const uint8_t* rgb, uint32_t tick)
{
    if (!isOpen()) {
        return false;
    }
    if (!settle(tick)) {
        return fail();
    }
    const size_t size = static_cast<size_t>(width) * height * 3;
    if (!held.empty() && std::memcmp(held.back().rgb.data(), rgb, size) == 0) {
        return true; // the same picture again only lengthens the one shown
    }
    held.push_back({std::vector<uint8_t>(rgb, rgb + size), tick});
    return true;
}

bool GifWriter::finish(uint32_t endTick)
{
    if (!isOpen()) {
        return false;
    }
    // At most one picture is left once the last delay is settled.
    if (!settle(endTick) ||
        (!held.empty() && !writeShown(held[0].rgb.data(), shownFor(held[0].tick, endTick)))) {
        return fail();
    }
    if (!close()) {
        std::remove(path.c_str());
        written = 0;
        return false;
    }
    return true;
}

// The newest held picture is shown until nextTick. Too short to show, it goes and its time falls
// to the one before; otherwise the one before is settled and written.
bool GifWriter::settle(uint32_t nextTick)
{
    if (held.size() < 2) {
        return true;
    }
    if (shownFor(held[1].tick, nextTick) < kMinDelay) {
        held.pop_back();
        return true;
    }
    const bool ok = writeShown(held[0].rgb.data(), shownFor(held[0].tick, held[1].tick));
    held.erase(held.begin());
    return ok;
}

void GifWriter::abandon()
{
    if (file) {
        close();
        std::remove(path.c_str());
    }
    written = 0;
}

bool GifWriter::fail()
{
    abandon();
    return false;
}

// Ends the file; true when every byte reached it. giflib leaves the trailer's write unchecked,
// so the stream's own error flag has the last word.
bool GifWriter::close()
{
    int error = 0;
    bool ended = gif && EGifCloseFile(gif, &error) == GIF_OK;
    gif = nullptr;
    ended = !std::ferror(file) && std::fclose(file) == 0 && ended;
    file = nullptr;
    canvasShown = false;
    held.clear();
    return ended;
}

// One picture shown for delay centiseconds; a delay past the field's limit continues in
// all-transparent repeats.
bool GifWriter::writeShown(const uint8_t* rgb, uint64_t delay)
{
    for (const uint8_t* picture = rgb; delay > 0; picture = nullptr) {
        const uint64_t part = delayPart(delay);
        if (!writePicture(picture, static_cast<int>(part))) {
            return false;
        }
        delay -= part;
    }
    return true;
}

// A pixel may be left transparent only where the viewer already shows its exact colour.
bool GifWriter::kept(const uint8_t* rgb, size_t pixel) const
{
    return canvasShown && std::memcmp(&canvas[pixel * 3], rgb + pixel * 3, 3) == 0;
}

bool GifWriter::writePicture(const uint8_t* rgb, int delay)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    collectChanged(rgb, left, top, right, bottom);
    std::array<GifColorType, 256> colours{};
    int count = exactPalette(rgb, colours.data());
    if (count < 0) {
        count = quantisedPalette(rgb, colours.data());
    }
    if (count < 0) {
        return false;
    }
    // Unused entries are zeroed so that the same pictures always give the same bytes.
    std::fill(colours.begin() + count, colours.end(), GifColorType{});
    return writeImage(colours.data(), count, delay, left, top, right, bottom);
}

// The pixels that must be drawn, and the rectangle around them (1 x 1 at the corner when none
// must: a picture needs at least one pixel).
void GifWriter::collectChanged(const uint8_t* rgb, int& left, int& top, int& right, int& bottom)
{
    changed.clear();
    left = width;
    top = height;
    right = bottom = -1;
    for (int y = 0; y < height && rgb; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t pixel = static_cast<size_t>(y) * width + x;
            if (!kept(rgb, pixel)) {
                changed.push_back(static_cast<uint32_t>(pixel));
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
        }
    }
    if (changed.empty()) {
        left = top = right = bottom = 0;
    }
}

// The changed pixels' colours in order of first use, or -1 past kMaxExactColours. A small
// open-addressed table: most pictures hold a few hundred colours at most.
int GifWriter::exactPalette(const uint8_t* rgb, GifColorType* colours)
{
    constexpr uint32_t kSlots = 1024;
    std::array<uint32_t, kSlots> keys{}; // colour + 1, so 0 marks a free slot
    std::array<uint8_t, kSlots> slotIndex{};
    colourIndex.resize(changed.size());
    int count = 0;
    uint32_t lastKey = 0;
    uint8_t lastIndex = 0;
    for (size_t i = 0; i < changed.size(); ++i) {
        const uint8_t* p = rgb + changed[i] * 3;
        const uint32_t key = (uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]) + 1;
        if (key != lastKey) {
            uint32_t slot = (key * 2654435761u) >> 22; // Knuth's multiplicative hash, 10 bits
            while (keys[slot] != 0 && keys[slot] != key) {
                slot = (slot + 1) & (kSlots - 1);
            }
            if (keys[slot] == 0) {
                if (count == kMaxExactColours) {
                    return -1;
                }
                keys[slot] = key;
                slotIndex[slot] = static_cast<uint8_t>(count);
                colours[count++] = {p[0], p[1], p[2]};
            }
            lastKey = key;
            lastIndex = slotIndex[slot];
        }
        colourIndex[i] = lastIndex;
    }
    return count;
}

// giflib's median-cut quantiser over the changed pixels only; -1 when it fails.
int GifWriter::quantisedPalette(const uint8_t* rgb, GifColorType* colours)
{
    const size_t count = changed.size();
    planes.resize(count * 3);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = rgb + changed[i] * 3;
        planes[i] = p[0];
        planes[count + i] = p[1];
        planes[2 * count + i] = p[2];
    }
    int size = quantise(kMaxExactColours, colours);
    if (size > 0 && mapToNearest(rgb, colours, size) > kOutlierError) {
        // Rare colours left far from every box: quantise again with room for the worst of them.
        size = quantise(kMaxExactColours - kOutlierSlots, colours);
        if (size > 0) {
            mapToNearest(rgb, colours, size);
            size = addOutliers(rgb, colours, size);
        }
    }
    return size;
}

// giflib's median cut over the changed pixels' planes: the palette's size, or -1.
int GifWriter::quantise(int size, GifColorType* colours)
{
    const size_t count = changed.size();
    if (GifQuantizeBuffer(static_cast<unsigned>(count), 1, &size, &planes[0], &planes[count],
                          &planes[2 * count], colourIndex.data(), colours) != GIF_OK) {
        return -1;
    }
    return size;
}

// The quantiser gives each pixel the colour of its box, which is far from the pixel when the box
// is large and the pixel rare; then the nearest colour of the palette is often much closer. Each
// such colour is searched once. Returns the largest error left in any channel.
int GifWriter::mapToNearest(const uint8_t* rgb, const GifColorType* colours, int size)
{
    nearest.clear();
    int worst = 0;
    for (size_t i = 0; i < changed.size(); ++i) {
        const uint8_t* p = rgb + changed[i] * 3;
        // Within the quantiser's own cell size the box colour is as good as any.
        const int boxError = channelError(p, colours[colourIndex[i]]);
        if (boxError <= kCellError) {
            worst = std::max(worst, boxError);
            continue;
        }
        const uint32_t key = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
        auto [entry, fresh] = nearest.try_emplace(key, colourIndex[i]);
        if (fresh) {
            int bestDistance = INT_MAX;
            for (int c = 0; c < size; ++c) {
                const int distance = squaredDistance(p, colours[c]);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    entry->second = static_cast<uint8_t>(c);
                }
            }
        }
        colourIndex[i] = entry->second;
        worst = std::max(worst, channelError(p, colours[entry->second]));
    }
    return worst;
}

// Up to kOutlierSlots times, the changed pixel farthest from its colour joins the palette, and
// every pixel it is nearer to takes it.
int GifWriter::addOutliers(const uint8_t* rgb, GifColorType* colours, int size)
{
    distances.resize(changed.size());
    for (size_t i = 0; i < changed.size(); ++i) {
        distances[i] = squaredDistance(rgb + changed[i] * 3, colours[colourIndex[i]]);
    }
    for (int added = 0; added < kOutlierSlots && size < kMaxExactColours; ++added) {
        size_t worst = 0;
        int worstError = -1;
        for (size_t i = 0; i < changed.size(); ++i) {
            const int error = channelError(rgb + changed[i] * 3, colours[colourIndex[i]]);
            if (error > worstError) {
                worstError = error;
                worst = i;
            }
        }
        if (worstError <= kOutlierError) {
            break;
        }
        const uint8_t* outlier = rgb + changed[worst] * 3;
        colours[size] = {outlier[0], outlier[1], outlier[2]};
        for (size_t i = 0; i < changed.size(); ++i) {
            const int distance = squaredDistance(rgb + changed[i] * 3, colours[size]);
            if (distance < distances[i]) {
                distances[i] = distance;
                colourIndex[i] = static_cast<uint8_t>(size);
            }
        }
        ++size;
    }
    return size;
}

// Writes the rectangle with count colours (the next index transparent; colours holds 256) and
// puts what the viewer will show into the canvas.
bool GifWriter::writeImage(const GifColorType* colours, int count, int delay, int left, int top,
                           int right, int bottom)
{
    const int transparent = count;
    const int areaWidth = right - left + 1;
    const int areaHeight = bottom - top + 1;
    indices.assign(static_cast<size_t>(areaWidth) * areaHeight, static_cast<uint8_t>(transparent));
    // The changed pixels were collected in this same row order, so one cursor finds them.
    size_t next = 0;
    uint8_t* out = indices.data();
    for (int y = top; y <= bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        for (int x = left; x <= right; ++x, ++out) {
            const size_t pixel = row + x;
            if (next == changed.size() || changed[next] != pixel) {
                continue;
            }
            const GifColorType& colour = colours[colourIndex[next]];
            *out = colourIndex[next++];
            canvas[pixel * 3] = colour.Red;
            canvas[pixel * 3 + 1] = colour.Green;
            canvas[pixel * 3 + 2] = colour.Blue;
        }
    }
    canvasShown = true;

    int mapSize = 2; // a power of two with room for the transparent index
    while (mapSize < count + 1) {
        mapSize *= 2;
    }
    ColorMapObject* map = GifMakeMapObject(mapSize, colours);
    if (!map) {
        return false;
    }
    const GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, transparent};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    bool ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
              EGifPutImageDesc(gif, left, top, areaWidth, areaHeight, false, map) == GIF_OK;
    GifFreeMapObject(map);
    for (int y = 0; y < areaHeight && ok; ++y) {
        ok = EGifPutLine(gif, &indices[static_cast<size_t>(y) * areaWidth], areaWidth) == GIF_OK;
    }
    written += ok;
    return ok;
}

} // namespace tarvo
