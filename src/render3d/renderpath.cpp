// The choice of pixel loops: detected once from the processor, forced by TARVO_RENDER_PATH.
#include "tarvo/render3d/renderpath.h"

#include "tarvo/core/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace tarvo
{

namespace
{

const char* const kPathNames[] = {"scalar", "sse2", "avx2"};

bool chosen = false;
RenderPath current = RenderPath::Scalar;

// Into the log, or onto stderr in tools that have none. A name too long for a log line is cut.
void warnUnavailable(const char* name, RenderPath instead)
{
    char line[1024];
    std::snprintf(line, sizeof line,
                  "Warning: TARVO_RENDER_PATH \"%s\" is not available here; drawing with %s", name,
                  renderPathName(instead));
    if (gLog) {
        gLog->print("%s", line);
    } else {
        std::fprintf(stderr, "%s\n", line);
    }
}

} // namespace

bool renderPathSupported(RenderPath path)
{
    switch (path) {
    case RenderPath::Scalar:
        return true;
#if defined(__x86_64__)
    case RenderPath::Sse2:
        return true;
    case RenderPath::Avx2:
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

RenderPath widestRenderPath()
{
    for (RenderPath path : {RenderPath::Avx2, RenderPath::Sse2}) {
        if (renderPathSupported(path)) {
            return path;
        }
    }
    return RenderPath::Scalar;
}

const char* renderPathName(RenderPath path)
{
    return kPathNames[static_cast<int>(path)];
}

RenderPath setRenderPath(RenderPath path)
{
    chosen = true;
    current = renderPathSupported(path) ? path : widestRenderPath();
    return current;
}

RenderPath renderPathNamed(const char* name)
{
    if (!name || !*name) {
        return widestRenderPath();
    }
    for (const RenderPath path : {RenderPath::Scalar, RenderPath::Sse2, RenderPath::Avx2}) {
        if (!std::strcmp(name, renderPathName(path)) && renderPathSupported(path)) {
            return path;
        }
    }
    const RenderPath widest = widestRenderPath();
    warnUnavailable(name, widest);
    return widest;
}

RenderPath renderPath()
{
    if (!chosen) {
        setRenderPath(renderPathNamed(std::getenv("TARVO_RENDER_PATH")));
    }
    return current;
}

} // namespace tarvo
