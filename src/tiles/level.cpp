// The loaded level: built from a level file with its images, its tile properties, objects and
// animated tiles kept by tile number, drawn back to front for a camera, and its first layer
// dumped as text for checking.
#include "tarvo/tiles/level.h"

#include "tarvo/core/log.h"
#include "tarvo/fs/vfs.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/surface.h"
#include "tiles/levelbuild.h"

#include <algorithm>
#include <cstdio>

namespace tarvo
{

TileMap* gLevel = nullptr;
LayerViews gLayerViews;

namespace
{

const char* const kLevelPath = "demo1/levels/blk301a";
constexpr int32_t kTileSize = 24;

// Each field is one file-system read; the file is closed with the source.
class VfsLevelSource : public LevelSource
{
public:
    explicit VfsLevelSource(VfsFile* handle) : handle(handle) {}
    ~VfsLevelSource() override { vfsClose(handle); }
    VfsLevelSource(const VfsLevelSource&) = delete;
    VfsLevelSource& operator=(const VfsLevelSource&) = delete;

    size_t read(void* buffer, size_t size) override
    {
        const int64_t got = vfsRead(handle, buffer, 1, static_cast<uint32_t>(size));
        return got > 0 ? static_cast<size_t>(got) : 0;
    }

private:
    VfsFile* handle;
};

void setKey(Surface& image, uint8_t r, uint8_t g, uint8_t b)
{
    const SDL_Color color = {r, g, b, 0};
    image.setColorKey(SDL_SRCCOLORKEY, image.mapRgb(color));
}

// The search path's images, by the numbers the level file gives them.
std::unique_ptr<Surface> searchPathImage(LevelImage kind, size_t, int number)
{
    char name[32];
    std::snprintf(name, sizeof name,
                  kind == LevelImage::Tile ? "demo1/tiles/TILE%04d.PNG" : "demo1/bg/BG%04d.PNG",
                  number);
    return loadImageOrNull(name);
}

bool loadTiles(const LevelFile& file, TileSet& tileSet, const LevelImageLoader& load)
{
    for (size_t i = 0; i < file.tileImages.size(); ++i) {
        std::unique_ptr<Surface> tile = load(LevelImage::Tile, i, file.tileImages[i]);
        if (!tile) {
            return false;
        }
        setKey(*tile, 255, 255, 255);
        tileSet.addTile(std::move(tile));
    }
    return true;
}

bool loadBackgrounds(const LevelFile& file, TileMap& level, const LevelImageLoader& load)
{
    for (size_t i = 0; i < file.backgrounds.size(); ++i) {
        const LevelBackgroundData& record = file.backgrounds[i];
        auto background = std::make_unique<Background>();
        background->x = record.x;
        background->y = record.y;
        background->xDivisor = record.xDivisor;
        background->yDivisor = record.yDivisor;
        background->image = load(LevelImage::Background, i, record.image);
        if (!background->image) {
            return false;
        }
        if (record.colorKey == 0) {
            setKey(*background->image, 0, 0, 0);
        } else if (record.colorKey == 1) {
            setKey(*background->image, 255, 255, 255);
        } else if (record.colorKey == 2) {
            setKey(*background->image, 255, 255, 0);
        }
        // Only horizontal repetition comes from the file.
        background->flags = record.xDivisor != 0 ? Background::kRepeatX : 0;
        level.backgrounds.push_back(std::move(background));
    }
    return true;
}

std::unique_ptr<TileLayer> buildLayer(const LevelFile& file, int layerIndex)
{
    const LevelLayerData& data = file.layers[layerIndex];
    auto layer = std::make_unique<TileLayer>(data.cols, data.rows, kTileSize, kTileSize);
    for (int32_t row = 0; row < data.rows; ++row) {
        for (int32_t col = 0; col < data.cols; ++col) {
            // A first-layer literal outside the table, or any cell of an empty table, has no
            // translation and reads as -1 rather than reaching past the table.
            const int16_t cell = data.cells[static_cast<size_t>(col + row * data.cols)];
            layer->setCell(layerIndex == 0 ? translateCell(file, cell) : cell, col, row);
        }
    }
    return layer;
}

void drawView(Surface& target, TileLayerView& view, int cameraX, int cameraY)
{
    view.cameraX = cameraX;
    view.cameraY = cameraY;
    view.draw(target);
}

// 10 * (camera + 1), wrapping as 32-bit arithmetic does rather than overflowing.
int32_t scaledCamera(int camera)
{
    return static_cast<int32_t>((static_cast<uint32_t>(camera) + 1u) * 10u);
}

const TileProperties kNoProperties;

} // namespace

std::unique_ptr<Surface> loadImageOrNull(const char* name)
{
    auto image = std::make_unique<Surface>();
    image->loadImage(name);
    if (!image->getSdlSurface()) {
        return nullptr;
    }
    return image;
}

bool buildTileMap(const LevelFile& file, TileMap& level, const LevelImageLoader& load)
{
    if (!loadTiles(file, level.tileSet, load)) {
        return false;
    }
    level.layers[0] = buildLayer(file, 0);
    level.layers[1] = buildLayer(file, 1);
    if (!loadBackgrounds(file, level, load)) {
        return false;
    }
    level.layers[2] = buildLayer(file, 2);
    const int32_t values[6] = {file.value1, file.value2, file.value3,
                               file.value4, file.value5, file.value6};
    std::copy(values, values + 6, level.values);
    level.setExtension(file.extension, level.tileSet.count());
    return true;
}

bool buildTileMap(const LevelFile& file, TileMap& level)
{
    return buildTileMap(file, level, searchPathImage);
}

const TileProperties& TileMap::tileProperties(int layer, int32_t col, int32_t row) const
{
    if (layer < 0 || layer > 2 || !layers[layer]) {
        return kNoProperties;
    }
    const int32_t tile = layers[layer]->cellAt(col, row);
    return tile >= 0 && static_cast<size_t>(tile) < properties.size()
               ? properties[static_cast<size_t>(tile)]
               : kNoProperties;
}

std::vector<const LevelObject*> TileMap::objectsOfType(const std::string& type) const
{
    std::vector<const LevelObject*> found;
    for (const LevelObject& object : levelObjects) {
        if (object.type == type) {
            found.push_back(&object);
        }
    }
    return found;
}

void TileMap::advance()
{
    ++clock;
    showFrames();
}

void TileMap::setExtension(const LevelExtension& extension, int tileCount)
{
    const auto count = static_cast<size_t>(std::max(tileCount, 0));
    properties.assign(count, TileProperties());
    animations.assign(count, Animation());
    // Every tile number is checked against the level's tiles before a level file is used;
    // one past them here is dropped rather than trusted.
    for (const LevelTileData& record : extension.tiles) {
        if (record.tile >= 0 && static_cast<size_t>(record.tile) < count) {
            properties[static_cast<size_t>(record.tile)] = record.properties;
        }
    }
    for (const LevelAnimationData& data : extension.animations) {
        if (data.tile < 0 || static_cast<size_t>(data.tile) >= count) {
            continue;
        }
        Animation& animation = animations[static_cast<size_t>(data.tile)];
        for (const LevelFrameData& frame : data.frames) {
            animation.frames.push_back(
                {frame.tile, Animation::ticksFromMilliseconds(frame.milliseconds)});
        }
    }
    levelObjects = extension.objects;
    collision = extension.collisionLayer - 1;
    clock = 0;
    frames.resize(count);
    for (size_t tile = 0; tile < count; ++tile) {
        frames[tile] = static_cast<int32_t>(tile);
    }
    showFrames();
}

void TileMap::showFrames()
{
    for (size_t tile = 0; tile < animations.size(); ++tile) {
        const Animation& animation = animations[tile];
        if (!animation.frames.empty()) {
            frames[tile] = animation.frames[animation.frameAt(clock)].index;
        }
    }
}

bool loadLevel(const char* path, TileMap& level)
{
    VfsFile* handle = vfsOpenRead(path);
    if (!handle) {
        return false;
    }
    LevelFile file;
    LevelError error;
    bool read = false;
    {
        VfsLevelSource source(handle);
        read = readLevelFile(source, file, error, false);
    }
    // A damaged file is skipped as quietly as a missing one; leveldump tells where it breaks.
    return read && buildTileMap(file, level);
}

bool loadLevel()
{
    auto level = std::make_unique<TileMap>();
    if (!loadLevel(kLevelPath, *level)) {
        return false;
    }
    // The views let go of the old level until bindLayerViews binds them to the new one.
    for (TileLayerView& view : gLayerViews) {
        view.tileSet = nullptr;
        view.layer = nullptr;
        view.shownTiles = nullptr;
    }
    delete gLevel;
    gLevel = level.release();
    return true;
}

void bindLayerViews(const TileMap& level, LayerViews& views)
{
    for (size_t i = 0; i < views.size(); ++i) {
        views[i].tileSet = &level.tileSet;
        views[i].layer = level.layers[i].get();
        views[i].shownTiles = &level.shownTiles();
    }
}

void bindLayerViews()
{
    if (gLevel) {
        bindLayerViews(*gLevel, gLayerViews);
    }
}

void drawLevel(Surface& target, TileMap& level, LayerViews& views, int cameraX, int cameraY)
{
    for (const std::unique_ptr<Background>& background : level.backgrounds) {
        background->cameraX = scaledCamera(cameraX);
        background->cameraY = scaledCamera(cameraY);
        background->draw(target);
    }
    // Back to front: the file's first layer ends up on top.
    drawView(target, views[2], cameraX, cameraY);
    drawView(target, views[1], cameraX, cameraY);
    drawView(target, views[0], cameraX, cameraY);
}

void drawLevel(int cameraX, int cameraY)
{
    if (gScreen && gLevel) {
        drawLevel(*gScreen, *gLevel, gLayerViews, cameraX, cameraY);
    }
}

void writeLayerDump(const TileLayer& layer, const char* path)
{
    FILE* file = std::fopen(path, "w");
    if (!file) {
        return;
    }
    for (int32_t row = 0; row < layer.rows; ++row) {
        for (int32_t col = 0; col < layer.cols; ++col) {
            std::fprintf(file, "%2d ", layer.cellAt(col, row));
        }
        std::fputc('\n', file);
        std::fflush(file);
    }
    std::fclose(file);
}

void dumpLevel()
{
    if (gLevel && gLevel->layers[0]) {
        writeLayerDump(*gLevel->layers[0], "mapdump.dat");
    }
}

} // namespace tarvo
