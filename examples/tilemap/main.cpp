// tilemap: a level made in the Tiled map editor (meadow.tmx), compiled by tarvo-levelc when the
// example is built, and scrolled with the arrow keys. Its three tile layers pass at the
// camera's speed, the mountains behind them at half of it, the sky not at all. Escape quits.
//
// The build makes the game directory: the compiled level, the tiles tarvo-levelc cut from the
// engine's tileset, the two backgrounds and the font (see CMakeLists.txt).
#include <algorithm>
#include <cstdio>
#include <memory>
#include <tarvo/tarvo.h>

const int kScrollSpeed = 3; // pixels a tick while an arrow key is held

class Tilemap : public tarvo::Game
{
public:
    void load(bool reload) override
    {
        if (reload) {
            return;
        }
        font = std::make_unique<tarvo::BitmapFont>("tarvo/font8.png", 8, 8);
        // The level file names its tiles and backgrounds by number; loadLevel reads them as
        // demo1/tiles/TILE0000.PNG and demo1/bg/BG0000.PNG from the game directory.
        map = std::make_unique<tarvo::TileMap>();
        if (!tarvo::loadLevel("levels/meadow", *map)) {
            tarvo::requestQuit(1); // the log says what was missing
            return;
        }
        // The views draw the layers; they point into map, which outlives them.
        tarvo::bindLayerViews(*map, views);
        const tarvo::TileLayer& layer = *map->layers[0];
        maxX = layer.pixelWidth - tarvo::kScreenWidth;
        maxY = layer.pixelHeight - tarvo::kScreenHeight;
    }

    // An arrow key scrolls for as long as it is held: from its press to its release.
    void handleEvent(const SDL_Event& event) override
    {
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
            return;
        }
        const bool down = event.type == SDL_KEYDOWN;
        switch (event.key.keysym.sym) {
        case SDLK_LEFT:
            left = down;
            break;
        case SDLK_RIGHT:
            right = down;
            break;
        case SDLK_UP:
            up = down;
            break;
        case SDLK_DOWN:
            downward = down;
            break;
        case SDLK_ESCAPE:
            tarvo::requestQuit(0);
            break;
        default:
            break;
        }
    }

    void update() override
    {
        cameraX += (right - left) * kScrollSpeed;
        cameraY += (downward - up) * kScrollSpeed;
        // The camera is the screen's top left on the map; it stays within the map.
        cameraX = std::clamp(cameraX, 0, maxX);
        cameraY = std::clamp(cameraY, 0, maxY);
    }

    void draw() override
    {
        // The backgrounds in file order, then the layers back to front. Each background
        // scrolls by its own parallax and leaves nothing behind, so nothing is cleared first.
        tarvo::drawLevel(*tarvo::gScreen, *map, views, cameraX, cameraY);

        char text[64];
        std::snprintf(text, sizeof text, "Camera %d, %d", cameraX, cameraY);
        font->drawText(*tarvo::gScreen, 4, 4, text, 0);
        font->drawText(*tarvo::gScreen, 4, 14, "Arrow keys scroll, Escape quits", 0);
    }

    void unload() override
    {
        map.reset();
        font.reset();
    }

private:
    std::unique_ptr<tarvo::BitmapFont> font;
    std::unique_ptr<tarvo::TileMap> map;
    tarvo::LayerViews views;
    int cameraX = 0;
    int cameraY = 0;
    int maxX = 0;
    int maxY = 0;
    bool left = false;
    bool right = false;
    bool up = false;
    bool downward = false;
};

int main(int argc, char** argv)
{
    tarvo::GameInfo info;
    info.name = "tilemap";
    info.title = "Tarvo tile map";
    info.configFile = "tilemap.cfg";
    info.filePrefix = "tilemap";
    Tilemap game;
    return tarvo::run(argc, argv, info, game);
}
