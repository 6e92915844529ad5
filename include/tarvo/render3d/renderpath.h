/// @file
/// Which pixel loops draw: the plain scalar pipeline, or vector loops that draw several rows of a
/// polygon at once. Every path gives the same pixels and depth values; they differ only in speed.
#pragma once

#include "tarvo/api.h"

namespace tarvo
{

/// The pixel loops Polygon3d draws with.
enum class RenderPath {
    Scalar, ///< One pixel at a time: the reference, on any processor.
    Sse2,   ///< Four rows at once; any x86-64.
    Avx2    ///< Eight rows at once; x86-64 with AVX2.
};

/// The path drawing uses. The first call picks it: renderPathNamed(TARVO_RENDER_PATH).
TARVO_API RenderPath renderPath();
/// Uses path from now on, or the widest path the processor has when it lacks path; returns the
/// path in use. Polygons take it up at their next draw.
TARVO_API RenderPath setRenderPath(RenderPath path);
/// Whether this processor (and build) can draw with path.
TARVO_API bool renderPathSupported(RenderPath path);
/// The fastest path the processor has.
TARVO_API RenderPath widestRenderPath();
/// The path a TARVO_RENDER_PATH value asks for: the named one when the processor has it; the
/// widest one it has when the value is null or empty, and after a warning in the log (on stderr
/// without one) when the name is unknown or the processor lacks that path.
TARVO_API RenderPath renderPathNamed(const char* name);
/// "scalar", "sse2" or "avx2".
TARVO_API const char* renderPathName(RenderPath path);

} // namespace tarvo
