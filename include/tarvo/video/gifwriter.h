/// @file
/// Animated GIF output for the recorder: pictures are encoded as they come, each one only where
/// it changes what a viewer already shows, so a recording costs little memory whatever its length.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

struct GifFileType;
struct GifColorType;

namespace tarvo
{

/// A looping animated GIF written picture by picture, each shown for as long as the game ran it.
///
/// Colours are kept exactly while a picture has at most 255 of them and quantised otherwise.
class TARVO_API GifWriter
{
public:
    GifWriter() = default;
    /// An unfinished file is abandoned (removed).
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    /// Creates path for a looping width x height animation. False when it cannot be created
    /// (nothing is left behind).
    bool open(const std::string& path, int width, int height);
    /// Whether a file is open: between open and finish, abandon or a failure.
    bool isOpen() const { return gif != nullptr; }
    /// One picture: 8-bit RGB, width*height*3 bytes, rows top down, taken at tick, counted from
    /// the start of the recording (the first picture is at 0; ticks strictly increase). False on
    /// a write error: the writer is then closed and the partial file removed.
    bool add(const uint8_t* rgb, uint32_t tick);
    /// The recording ends at endTick (endTick > the last picture's tick): the rest is written and
    /// the file closed. False on a write error (the partial file removed).
    bool finish(uint32_t endTick);
    /// Closes and removes the file.
    void abandon();
    /// Pictures in the file (after finish: the final count).
    int pictures() const { return written; }

private:
    struct Held {
        std::vector<uint8_t> rgb;
        uint32_t tick = 0;
    };

    static int writeBytes(GifFileType* gif, const uint8_t* bytes, int count);
    bool writeHeader();
    bool settle(uint32_t nextTick);
    bool writeShown(const uint8_t* rgb, uint64_t delay);
    bool writePicture(const uint8_t* rgb, int delay);
    bool kept(const uint8_t* rgb, size_t pixel) const;
    void collectChanged(const uint8_t* rgb, int& left, int& top, int& right, int& bottom);
    int exactPalette(const uint8_t* rgb, GifColorType* colours);
    int quantisedPalette(const uint8_t* rgb, GifColorType* colours);
    int quantise(int size, GifColorType* colours);
    int mapToNearest(const uint8_t* rgb, const GifColorType* colours, int size);
    int addOutliers(const uint8_t* rgb, GifColorType* colours, int size);
    bool writeImage(const GifColorType* colours, int count, int delay, int left, int top, int right,
                    int bottom);
    bool close();
    bool fail();

    std::string path;
    FILE* file = nullptr;
    GifFileType* gif = nullptr;
    int width = 0;
    int height = 0;
    int written = 0;
    // What a viewer shows after the pictures written so far; meaningless before the first.
    std::vector<uint8_t> canvas;
    bool canvasShown = false;
    // Pictures whose delays are not settled yet: at most the last two.
    std::vector<Held> held;
    // Per-picture scratch, kept to avoid reallocating: the changed pixels (frame offsets), their
    // palette indices, the quantiser's channel planes and one picture's index rows.
    std::vector<uint32_t> changed;
    std::vector<uint8_t> colourIndex;
    std::vector<uint8_t> planes;
    std::vector<uint8_t> indices;
    // Quantised pictures: the nearest palette entry of each colour far from its box's colour.
    std::unordered_map<uint32_t, uint8_t> nearest;
    std::vector<int> distances; // each changed pixel's squared distance to its colour
};

} // namespace tarvo
