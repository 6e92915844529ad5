/// @file
/// PNG output for the tools and the recorder: one writer over libpng, so every picture the
/// project saves is encoded the same way.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{

/// Writes width x height pixels of 8-bit RGB (channels 3) or RGBA (channels 4), rows top down
/// and packed without padding, to path. The file appears whole or not at all: it is written
/// beside the target and renamed over it. False when anything fails, with errno saying why.
TARVO_API bool writePng(const std::string& path, const uint8_t* pixels, int width, int height,
                        int channels);

/// Reads a real PNG file (not a virtual name) as 8-bit RGBA, rows top down, with its size. False
/// when it cannot be read or decoded, or has more than 2^26 pixels.
TARVO_API bool readPng(const std::string& path, std::vector<uint8_t>& rgba, int& width,
                       int& height);

} // namespace tarvo
