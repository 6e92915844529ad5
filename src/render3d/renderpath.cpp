// The choice of pixel loops: detected once from the processor, forced by TARVO_RENDER_PATH.
#include "render3d/renderpath.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace
{

const char* const kPathNames[] = {"scalar", "sse2", "avx2", "avx512"};

bool chosen = false;
RenderPath current = RenderPath::Scalar;

RenderPath widestPath()
{
    for (RenderPath path : {RenderPath::Avx512, RenderPath::Avx2, RenderPath::Sse2}) {
        if (renderPathSupported(path)) {
            return path;
        }
    }
    return RenderPath::Scalar;
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

const char* renderPathName(RenderPath path)
{
    return kPathNames[static_cast<int>(path)];
}

RenderPath setRenderPath(RenderPath path)
{
    chosen = true;
    current = renderPathSupported(path) ? path : widestPath();
    return current;
}

RenderPath renderPathNamed(const char* name)
{
    for (int i = 0; name && i < 4; ++i) {
        const RenderPath path = static_cast<RenderPath>(i);
        if (!std::strcmp(name, kPathNames[i]) && renderPathSupported(path)) {
            return path;
        }
    }
    return widestPath();
}

RenderPath renderPath()
{
    if (!chosen) {
        setRenderPath(renderPathNamed(std::getenv("TARVO_RENDER_PATH")));
    }
    return current;
}
