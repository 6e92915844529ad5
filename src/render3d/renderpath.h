// Which pixel loops draw: the plain scalar pipeline, or vector loops that draw several rows of a
// polygon at once. Every path gives the same pixels and depth values; they differ only in speed.
#pragma once

enum class RenderPath { Scalar, Sse2, Avx2, Avx512 };

// The path drawing uses. The first call picks it: TARVO_RENDER_PATH (scalar, sse2, avx2 or
// avx512) when the processor has that path, otherwise the widest one it has.
RenderPath renderPath();
// Uses path from now on, or the widest path the processor has when it lacks path; returns the
// path in use.
RenderPath setRenderPath(RenderPath path);
bool renderPathSupported(RenderPath path);
// The path a TARVO_RENDER_PATH value asks for: the named one when the processor has it,
// otherwise (an unknown name or null included) the widest one it has.
RenderPath renderPathNamed(const char* name);
// "scalar", "sse2", "avx2" or "avx512".
const char* renderPathName(RenderPath path);
