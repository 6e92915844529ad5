// The twenty scanline drawers listed once, each with the stages of the pixel pipeline it runs:
// the drawer choice indexes this table, and every vector path builds its row drawers from it.
#pragma once

#include "tarvo/render3d/polygon.h"

#include <cstdint>

namespace tarvo
{

using ScanlineDrawer = void (*)(const ScanlineSpan*);

// The twenty scanline drawers (scanline.cpp), one per type, blending, masking and texture
// stepping, in the order of kDrawers.
void drawFlat(const ScanlineSpan* span);
void drawFlatBlend(const ScanlineSpan* span);
void drawGouraud(const ScanlineSpan* span);
void drawGouraudBlend(const ScanlineSpan* span);
void drawTexPersp(const ScanlineSpan* span);
void drawTexPerspMasked(const ScanlineSpan* span);
void drawTexPerspBlend(const ScanlineSpan* span);
void drawTexPerspBlendMasked(const ScanlineSpan* span);
void drawTexAffine(const ScanlineSpan* span);
void drawTexAffineMasked(const ScanlineSpan* span);
void drawTexAffineBlend(const ScanlineSpan* span);
void drawTexAffineBlendMasked(const ScanlineSpan* span);
void drawTexShadePersp(const ScanlineSpan* span);
void drawTexShadePerspMasked(const ScanlineSpan* span);
void drawTexShadePerspBlend(const ScanlineSpan* span);
void drawTexShadePerspBlendMasked(const ScanlineSpan* span);
void drawTexShadeAffine(const ScanlineSpan* span);
void drawTexShadeAffineMasked(const ScanlineSpan* span);
void drawTexShadeAffineBlend(const ScanlineSpan* span);
void drawTexShadeAffineBlendMasked(const ScanlineSpan* span);

// Internal linkage, as in pixel.h: the vector paths compile this header with wider instruction
// sets.
namespace
{

enum class Stepping { None, Perspective, Affine };

// One drawer: the scalar pipeline's function and the stages it instantiates.
struct Drawer {
    ScanlineDrawer scalar;
    uint32_t type;
    Stepping step;
    bool blend;
    bool mask;
};

constexpr int kDrawerCount = 20;

// Untextured types have a plain and a blending drawer; textured types eight, the perspective
// four then the affine four, each four by 2 × blending + masking.
constexpr Drawer kDrawers[kDrawerCount] = {
    {drawFlat, PFLAT, Stepping::None, false, false},
    {drawFlatBlend, PFLAT, Stepping::None, true, false},
    {drawGouraud, PGOURAUD, Stepping::None, false, false},
    {drawGouraudBlend, PGOURAUD, Stepping::None, true, false},
    {drawTexPersp, PTEX, Stepping::Perspective, false, false},
    {drawTexPerspMasked, PTEX, Stepping::Perspective, false, true},
    {drawTexPerspBlend, PTEX, Stepping::Perspective, true, false},
    {drawTexPerspBlendMasked, PTEX, Stepping::Perspective, true, true},
    {drawTexAffine, PTEX, Stepping::Affine, false, false},
    {drawTexAffineMasked, PTEX, Stepping::Affine, false, true},
    {drawTexAffineBlend, PTEX, Stepping::Affine, true, false},
    {drawTexAffineBlendMasked, PTEX, Stepping::Affine, true, true},
    {drawTexShadePersp, PTEXGOURAUD, Stepping::Perspective, false, false},
    {drawTexShadePerspMasked, PTEXGOURAUD, Stepping::Perspective, false, true},
    {drawTexShadePerspBlend, PTEXGOURAUD, Stepping::Perspective, true, false},
    {drawTexShadePerspBlendMasked, PTEXGOURAUD, Stepping::Perspective, true, true},
    {drawTexShadeAffine, PTEXGOURAUD, Stepping::Affine, false, false},
    {drawTexShadeAffineMasked, PTEXGOURAUD, Stepping::Affine, false, true},
    {drawTexShadeAffineBlend, PTEXGOURAUD, Stepping::Affine, true, false},
    {drawTexShadeAffineBlendMasked, PTEXGOURAUD, Stepping::Affine, true, true},
};

// The index in kDrawers of a type's drawer, worked out from the table's layout (checked below)
// instead of searched for; untextured types ignore step and mask. -1 for an unknown type.
constexpr int drawerIndexFor(uint32_t type, Stepping step, bool blend, bool mask)
{
    const int blending = blend ? 1 : 0;
    if (type == PFLAT || type == PGOURAUD) {
        return 2 * static_cast<int>(type) + blending;
    }
    if (type == PTEX || type == PTEXGOURAUD) {
        const int first = type == PTEX ? 4 : 12;
        return first + (step == Stepping::Affine ? 4 : 0) + 2 * blending + (mask ? 1 : 0);
    }
    return -1;
}

constexpr bool indexFollowsTheTable()
{
    for (int i = 0; i < kDrawerCount; ++i) {
        const Drawer& d = kDrawers[i];
        if (drawerIndexFor(d.type, d.step, d.blend, d.mask) != i) {
            return false;
        }
    }
    return true;
}
static_assert(indexFollowsTheTable(), "drawerIndexFor must follow the layout of kDrawers");

} // namespace

} // namespace tarvo
