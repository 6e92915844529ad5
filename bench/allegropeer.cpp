// Allegro 4 draws the bench's quads: polygon3d_f with the z-buffer, one polygon type per case.
#include "allegropeer.h"

#include <allegro.h>

struct AllegroScene {
    BITMAP* target = nullptr;
    ZBUFFER* zbuffer = nullptr;
    BITMAP* texture = nullptr;
    BITMAP* masked = nullptr; // zero texels replaced by the mask colour
};

namespace
{

// Allegro's 32-bit pixels carry no alpha; its masked types skip MASK_COLOR_32 instead of 0.
BITMAP* makeTexture(const BenchTexture& source, const std::vector<uint32_t>& texels, bool masked)
{
    BITMAP* bitmap = create_bitmap_ex(32, source.side, source.side);
    for (int y = 0; y < source.side; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(bitmap->line[y]);
        for (int x = 0; x < source.side; ++x) {
            const uint32_t texel = texels[static_cast<size_t>(y * source.side + x)];
            line[x] = masked && texel == 0 ? MASK_COLOR_32 : texel & 0xFFFFFFu;
        }
    }
    return bitmap;
}

int polygonType(BenchCase kind)
{
    switch (kind) {
    case BenchCase::Flat:
        return POLYTYPE_FLAT;
    case BenchCase::Gouraud:
        return POLYTYPE_GRGB;
    case BenchCase::Perspective:
        return POLYTYPE_PTEX;
    case BenchCase::Affine:
        return POLYTYPE_ATEX;
    case BenchCase::Masked:
        return POLYTYPE_PTEX_MASK;
    case BenchCase::Translucent:
        return POLYTYPE_PTEX_TRANS;
    case BenchCase::TexShade:
        return POLYTYPE_PTEX_LIT;
    }
    return POLYTYPE_FLAT;
}

} // namespace

bool allegroStart()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        return false;
    }
    set_color_depth(32);
    // Weight 128 of 256, our alpha 127 on an opaque texture.
    set_trans_blender(0, 0, 0, 128);
    return true;
}

AllegroScene* allegroCreateScene(int width, int height, const BenchTexture& texture)
{
    auto* scene = new AllegroScene;
    scene->target = create_bitmap_ex(32, width, height);
    scene->zbuffer = create_zbuffer(scene->target);
    scene->texture = makeTexture(texture, texture.texels, false);
    scene->masked = makeTexture(texture, texture.masked, true);
    return scene;
}

void allegroDestroyScene(AllegroScene* scene)
{
    destroy_bitmap(scene->masked);
    destroy_bitmap(scene->texture);
    destroy_zbuffer(scene->zbuffer);
    destroy_bitmap(scene->target);
    delete scene;
}

void allegroDrawFrame(AllegroScene* scene, BenchCase kind, const BenchFrame& frame)
{
    set_zbuffer(scene->zbuffer);
    clear_bitmap(scene->target);
    clear_zbuffer(scene->zbuffer, 0.0f);
    const int type = polygonType(kind) | POLYTYPE_ZBUF;
    BITMAP* texture = kind == BenchCase::Masked ? scene->masked : scene->texture;
    V3D_f corners[4];
    V3D_f* pointers[4] = {&corners[0], &corners[1], &corners[2], &corners[3]};
    for (const BenchQuad& quad : frame) {
        for (int k = 0; k < 4; ++k) {
            const BenchVertex& from = quad.corners[k];
            corners[k] = {
                from.x,
                from.y,
                from.z,
                from.u,
                from.v,
                kind == BenchCase::TexShade ? from.light : static_cast<int>(from.color & 0xFFFFFFu)};
        }
        polygon3d_f(scene->target, type, texture, 4, pointers);
    }
}

long allegroNonZeroPixels(const AllegroScene* scene)
{
    long count = 0;
    for (int y = 0; y < scene->target->h; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(scene->target->line[y]);
        for (int x = 0; x < scene->target->w; ++x) {
            count += line[x] != 0;
        }
    }
    return count;
}
