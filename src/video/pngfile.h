// PNG output for the tools and the recorder: one writer over libpng, so every picture the
// project saves is encoded the same way.
#pragma once

#include <cstdint>
#include <string>

// Writes width x height pixels of 8-bit RGB (channels 3) or RGBA (channels 4), rows top down
// and packed without padding, to path. The file appears whole or not at all: it is written
// beside the target and renamed over it. False when anything fails.
bool writePng(const std::string& path, const uint8_t* pixels, int width, int height, int channels);
