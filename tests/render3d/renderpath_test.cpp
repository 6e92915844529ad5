// The render path a TARVO_RENDER_PATH value picks, and the warning when it cannot have it.
#include "support/capturedlog.h"
#include "tarvo/render3d/renderpath.h"

#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

namespace
{

// The default: the widest path the processor has.
RenderPath widestSupported()
{
    const bool sse2 = renderPathSupported(RenderPath::Sse2);
    return renderPathSupported(RenderPath::Avx2) ? RenderPath::Avx2
                                                 : (sse2 ? RenderPath::Sse2 : RenderPath::Scalar);
}

std::string warningFor(const std::string& name)
{
    return "Warning: TARVO_RENDER_PATH \"" + name + "\" is not available here; drawing with " +
           renderPathName(widestSupported());
}

TEST(RenderPaths, NamesPickAPathOrWarnAndTakeTheWidest)
{
    const RenderPath widest = widestSupported();
    const bool sse2 = renderPathSupported(RenderPath::Sse2);
    const bool avx2 = renderPathSupported(RenderPath::Avx2);
    const struct {
        const char *name, *value;
        RenderPath expected;
        bool warns;
    } rows[] = {
        {"scalar", "scalar", RenderPath::Scalar, false},
        {"sse2", "sse2", sse2 ? RenderPath::Sse2 : widest, !sse2},
        {"avx2", "avx2", avx2 ? RenderPath::Avx2 : widest, !avx2},
        {"unset", nullptr, widest, false},
        {"empty", "", widest, false},
        {"unknown", "AVX2x", widest, true},
        {"no longer a path", "avx512", widest, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CapturedLog log;
        EXPECT_EQ(renderPathNamed(row.value), row.expected);
        EXPECT_EQ(log.text(), row.warns ? warningFor(row.value) + "\n" : "");
    }
}

TEST(RenderPaths, WarningGoesToStderrWithoutALog)
{
    testing::internal::CaptureStderr();
    renderPathNamed("avx512");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), warningFor("avx512") + "\n");
}

} // namespace
