// The readable text form of a level file, shared by levelc (text to binary) and leveldump
// (binary to text). The text holds every byte the file holds, so either way round is lossless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvo
{

struct LevelFile;

// Two lower-case hex digits per byte, each pair preceded by separator.
std::string hexText(const uint8_t* data, size_t size, const char* separator = "");

// The canonical text of a level; parsing it gives the same level back.
std::string levelToText(const LevelFile& level);

// Parses source text. On failure returns false with the 1-based line and a message.
bool levelFromText(const std::string& text, LevelFile& level, int& errorLine, std::string& message);

} // namespace tarvo
