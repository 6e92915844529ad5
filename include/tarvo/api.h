/// @file
/// TARVO_API marks what the library exports. It is built with hidden visibility, so a
/// declaration without the mark stays inside the library, even in the shared build.
#pragma once

/// Exports a class, function or global from the library; a game never needs to write it.
#define TARVO_API __attribute__((visibility("default")))
