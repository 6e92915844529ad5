// platformer: a slime that runs and jumps through a level drawn in the Tiled map editor
// (hills.tmx), collecting its coins. The map's tiles say which are solid, which are one-way
// planks (jumped through from below, stood on from above) and which are water that sends the
// slime back to the start; its objects place the coins and the start. A camera follows the
// slime. Arrow keys or a pad's left stick and d-pad run, Space, Up or the pad's A button
// jumps, holding Down drops through a plank, Escape or the pad's Back button quits.
//
// The build makes the game directory as the tilemap example's does (see CMakeLists.txt).
#include <algorithm>
#include <cstdio>
#include <memory>
#include <tarvo/tarvo.h>
#include <vector>

// Speeds in 1/256 pixel a tick, as moveBox takes them.
const int kRunSpeed = 384;    // 1.5 pixels a tick
const int kGravity = 48;      // added to the fall speed every tick
const int kJumpSpeed = -1400; // rises about 80 pixels
const int kMaxFall = 1536;
// The slime's box (20 x 20 pixels) sits at the bottom middle of its 32 x 32 frame.
const int kBoxSize = 20;
const int kFrameLeft = 6, kFrameTop = 12;

// Frames of tarvo/sprites-key.png: row 0 a spinning coin (0 to 3), row 1 a slime (4 to 7).
const tarvo::Animation kCoinSpin{{{0, 8}, {1, 8}, {2, 8}, {3, 8}}, true};
const tarvo::Animation kIdle{{{4, 30}, {5, 30}}, true};
const tarvo::Animation kRun{{{5, 5}, {6, 5}, {7, 5}, {4, 5}}, true};
const tarvo::Animation kRise{{{6, 1}}, true};
const tarvo::Animation kFall{{{7, 1}}, true};

struct Coin {
    tarvo::Sprite sprite;
    const tarvo::LevelObject* object;
    bool taken = false;
};

class Platformer : public tarvo::Game
{
public:
    void load(bool reload) override
    {
        if (reload) {
            return;
        }
        font = std::make_unique<tarvo::BitmapFont>("tarvo/font8.png", 8, 8);
        map = std::make_unique<tarvo::TileMap>();
        if (!tarvo::loadLevel("levels/hills", *map) ||
            !sheet.load("tarvo/sprites-key.png", 32, 32)) {
            tarvo::requestQuit(1); // the log says what was missing
            return;
        }
        tarvo::bindLayerViews(*map, views);
        sheet.image().setColorKey(SDL_SRCCOLORKEY, sheet.image().mapRgb({255, 0, 255, 0}));

        // The map's objects: coins where its "coin" objects lie, the slime where "start" is.
        for (const tarvo::LevelObject* object : map->objectsOfType("coin")) {
            Coin& coin = coins.emplace_back(Coin{{}, object});
            coin.sprite.sheet = &sheet;
            coin.sprite.x = object->x - 4; // the coin is drawn in the middle of its frame
            coin.sprite.y = object->y - 4;
            coin.sprite.play(kCoinSpin);
        }
        const auto starts = map->objectsOfType("start");
        start = starts.empty() ? tarvo::LevelObject() : *starts[0];
        slime.sheet = &sheet;
        respawn();
        camera = std::make_unique<tarvo::FollowCamera>(*map);
        camera->lookAhead = 32;
        camera->snap(box, facingRight);
    }

    // Input comes through the actions (see main), read in update; no event is needed.
    void handleEvent(const SDL_Event&) override {}

    void update() override
    {
        if (tarvo::pressed("quit")) {
            tarvo::requestQuit(0);
        }
        if (!tarvo::hasFocus()) {
            return; // paused while the window is away: nothing moves, not even the water
        }
        map->advance();
        const int run = tarvo::held("right") - tarvo::held("left");
        if (run != 0) {
            facingRight = run > 0;
        }
        if (tarvo::pressed("jump") && onGround) {
            fallSpeed = kJumpSpeed;
        }
        if (tarvo::released("jump") && fallSpeed < 0) {
            fallSpeed /= 2; // a short press makes a short hop
        }
        fallSpeed = std::min(fallSpeed + kGravity, kMaxFall);
        const unsigned flags = tarvo::held("down") ? tarvo::ThroughOneWay : 0;
        const tarvo::MoveResult moved =
            tarvo::moveBox(*map, box, run * kRunSpeed, fallSpeed, flags);
        if (moved.contacts & (tarvo::Floor | tarvo::Ceiling)) {
            fallSpeed = 0;
        }
        if (moved.hazard || (box.y >> 8) > map->layers[map->collisionLayer()]->pixelHeight) {
            respawn();
        }
        // Gravity alone moves a standing box by less than a pixel, which meets no floor; a
        // probe a pixel down says whether it stands.
        tarvo::Box below = box;
        onGround = tarvo::moveBox(*map, below, 0, 256, flags).contacts & tarvo::Floor;
        collectCoins();

        slime.play(!onGround ? (fallSpeed < 0 ? kRise : kFall) : run ? kRun : kIdle);
        slime.update();
        slime.flip = !facingRight;
        slime.x = (box.x >> 8) - kFrameLeft;
        slime.y = (box.y >> 8) - kFrameTop;
        for (Coin& coin : coins) {
            coin.sprite.update();
        }
        camera->update(box, facingRight);
    }

    void draw() override
    {
        const int x = camera->x(), y = camera->y();
        tarvo::drawLevel(*tarvo::gScreen, *map, views, x, y);
        for (const Coin& coin : coins) {
            if (!coin.taken) {
                coin.sprite.draw(*tarvo::gScreen, x, y);
            }
        }
        slime.draw(*tarvo::gScreen, x, y);
        char text[64];
        std::snprintf(text, sizeof text, "Coins %d of %zu", taken, coins.size());
        font->drawText(*tarvo::gScreen, 4, 4, text, 0);
    }

    void unload() override
    {
        camera.reset();
        map.reset();
        font.reset();
    }

private:
    void respawn()
    {
        // The start object's bottom middle: the box stands where the object stands.
        box = {(start.x + start.width / 2 - kBoxSize / 2) * 256,
               (start.y + start.height - kBoxSize) * 256, kBoxSize, kBoxSize};
        fallSpeed = 0;
    }

    void collectCoins()
    {
        const int left = box.x >> 8, top = box.y >> 8;
        for (Coin& coin : coins) {
            const tarvo::LevelObject& at = *coin.object;
            if (!coin.taken && left < at.x + at.width && at.x < left + kBoxSize &&
                top < at.y + at.height && at.y < top + kBoxSize) {
                coin.taken = true;
                ++taken;
            }
        }
    }

    std::unique_ptr<tarvo::BitmapFont> font;
    std::unique_ptr<tarvo::TileMap> map;
    tarvo::LayerViews views;
    tarvo::SpriteSheet sheet;
    std::vector<Coin> coins;
    tarvo::LevelObject start;
    tarvo::Sprite slime;
    tarvo::Box box;
    std::unique_ptr<tarvo::FollowCamera> camera;
    int fallSpeed = 0;
    bool onGround = false;
    bool facingRight = true;
    int taken = 0;
};

int main(int argc, char** argv)
{
    tarvo::GameInfo info;
    info.name = "platformer";
    info.title = "Tarvo platformer";
    info.configFile = "platformer.cfg";
    info.filePrefix = "platformer";
    // Each action's inputs are its defaults; platformer.cfg may bind others.
    info.actions = {{"left", {"left", "pad:dpad-left", "pad:leftx-"}},
                    {"right", {"right", "pad:dpad-right", "pad:leftx+"}},
                    {"down", {"down", "pad:dpad-down", "pad:lefty+"}},
                    {"jump", {"space", "up", "pad:a"}},
                    {"quit", {"escape", "pad:back"}}};
    Platformer game;
    return tarvo::run(argc, argv, info, game);
}
