// The extension block in the level file's trailer: tile properties, tile animations, objects
// and the collision layer, behind a magic and version of their own (docs/levelformat.md).
#pragma once

#include "tarvo/tiles/levelfile.h"

#include <cstdint>
#include <vector>

namespace tarvo
{

// Appends the whole block, magic first.
void writeExtensionBlock(const LevelExtension& extension, std::vector<uint8_t>& bytes);

// Reads the block from bytes, which start with the magic and run to the end of the file, the
// first of them at file offset start. False with error set when the block is cut short, of
// another version, or followed by more bytes; what it says is checked by extensionError.
bool readExtensionBlock(const std::vector<uint8_t>& bytes, long start, LevelExtension& extension,
                        LevelError& error);

} // namespace tarvo
