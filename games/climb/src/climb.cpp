// Kelda's Climb's screens. Everything the game reads from the player comes through the
// engine's actions, so keyboard and pad play alike and replays play exactly.
#include "climb.h"

#include "mapcheck.h"

#include <SDL_mixer.h>
#include <algorithm>
#include <tarvo/audio/music.h>
#include <tarvo/audio/sound.h>
#include <tarvo/core/exception.h>
#include <tarvo/core/log.h>
#include <tarvo/engine/input.h>
#include <tarvo/engine/levelloop.h>
#include <tarvo/engine/mainloop.h>
#include <tarvo/engine/save.h>
#include <tarvo/tiles/camera.h>
#include <tarvo/video/font.h>
#include <tarvo/video/surface.h>

namespace climb
{

namespace
{

const char* const kLevelName = "levels/climb";
const char* const kFontName = "climb/font.png";
const char* const kPlayerSheet = "climb/kelda.png";
const char* const kEnemySheet = "climb/enemy.png";
const char* const kMusicName = "climb/music.mid";
const char* const kSaveName = "climb.sav";
// In the order of Sound.
const char* const kSoundNames[] = {"climb/jump.wav",  "climb/coin.wav",       "climb/stomp.wav",
                                   "climb/death.wav", "climb/checkpoint.wav", "climb/goal.wav"};
constexpr int kGlyphSize = 8;
constexpr int kLookAhead = 32; // pixels the camera shows more of ahead of the player
constexpr int kCameraStep = 8; // pixels a tick, faster than the fastest fall (6)
constexpr int kLineHeight = kGlyphSize + 4;

// Kelda's sheet: 24 x 32 frames in a row, facing right, her feet on the bottom row and her
// body centred over the box; the beetle's: 24 x 24, facing right as well.
constexpr int kPlayerFrameWidth = 24;
constexpr int kPlayerFrameHeight = 32;
constexpr int kEnemyFrameSize = 24;

tarvo::Animation looping(std::vector<tarvo::Animation::Frame> frames)
{
    tarvo::Animation animation;
    animation.frames = std::move(frames);
    return animation;
}

const tarvo::Animation kIdle = looping({{0, 30}, {1, 30}});
const tarvo::Animation kRun = looping({{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}});
const tarvo::Animation kJump = looping({{8, 1}});
const tarvo::Animation kFall = looping({{9, 1}});
const tarvo::Animation kHurt = looping({{10, 6}, {11, 6}});
const tarvo::Animation kWalk = looping({{0, 8}, {1, 8}, {2, 8}, {3, 8}});

Controls readControls()
{
    Controls controls;
    controls.left = tarvo::held("left");
    controls.right = tarvo::held("right");
    controls.down = tarvo::held("down");
    controls.jumpHeld = tarvo::held("jump");
    controls.jumpPressed = tarvo::pressed("jump");
    return controls;
}

} // namespace

const tarvo::GameInfo& gameInfo()
{
    static const tarvo::GameInfo info = [] {
        tarvo::GameInfo made;
        made.name = "climb";
        made.title = "Kelda's Climb";
        made.configFile = "climb.cfg";
        made.filePrefix = "climb";
        made.actions = {
            {"left", {"left", "a", "pad:dpad-left", "pad:leftx-"}},
            {"right", {"right", "d", "pad:dpad-right", "pad:leftx+"}},
            {"down", {"down", "s", "pad:dpad-down", "pad:lefty+"}},
            {"jump", {"space", "z", "up", "w", "pad:a"}},
            {"pause", {"p", "pad:start"}},
            {"back", {"escape", "pad:back"}},
        };
        return made;
    }();
    return info;
}

Climb::Climb() = default;
Climb::~Climb() = default;

void Climb::load(bool reload)
{
    if (reload) {
        return;
    }
    if (!tarvo::levelPath().empty()) {
        // The designer's map: checked as the build checks the committed one.
        const std::string fault = checkMap(*tarvo::gLevel, tarvo::levelPath());
        if (!fault.empty()) {
            throw tarvo::Exception::userError("-level: " + fault);
        }
        map = tarvo::gLevel;
        views = &tarvo::gLayerViews;
    } else {
        ownMap = std::make_unique<tarvo::TileMap>();
        if (!tarvo::loadLevel(kLevelName, *ownMap)) {
            throw tarvo::Exception(std::string("Climb::load: cannot load ") + kLevelName);
        }
        const std::string fault = checkMap(*ownMap, kLevelName);
        if (!fault.empty()) {
            throw tarvo::Exception("Climb::load: " + fault);
        }
        tarvo::bindLayerViews(*ownMap, ownViews);
        map = ownMap.get();
        views = &ownViews;
    }
    camera = std::make_unique<tarvo::FollowCamera>(*map);
    camera->lookAhead = kLookAhead;
    camera->maxStep = kCameraStep;
    font = std::make_unique<tarvo::BitmapFont>(kFontName, kGlyphSize, kGlyphSize);
    playerSheet = std::make_unique<tarvo::SpriteSheet>();
    playerSheet->load(kPlayerSheet, kPlayerFrameWidth, kPlayerFrameHeight);
    enemySheet = std::make_unique<tarvo::SpriteSheet>();
    enemySheet->load(kEnemySheet, kEnemyFrameSize, kEnemyFrameSize);
    player.sheet = playerSheet.get();
    dim = std::make_unique<tarvo::Surface>();
    dim->create(tarvo::argbFormat(tarvo::kScreenWidth, tarvo::kScreenHeight));
    dim->fillRect(nullptr, 0);
    dim->setAlpha(SDL_SRCALPHA, 128);
    for (size_t i = 0; i < std::size(kSoundNames); ++i) {
        sounds[i] = tarvo::gSound->loadSound(kSoundNames[i]);
    }
    if (tarvo::gMusic->load(kMusicName)) {
        tarvo::gMusic->play(-1, 0);
    }
    loadRecords();
}

void Climb::unload()
{
    tarvo::gSound->haltChannel(-1);
    for (Mix_Chunk*& sound : sounds) {
        if (sound) {
            Mix_FreeChunk(sound);
            sound = nullptr;
        }
    }
    tarvo::gMusic->unload();
    world.reset();
    camera.reset();
    enemies.clear();
    player = tarvo::Sprite();
    ownViews = tarvo::LayerViews();
    ownMap.reset();
    font.reset();
    dim.reset();
    playerSheet.reset();
    enemySheet.reset();
}

// A damaged file is left as it is: the player's next record replaces it, nothing else does.
void Climb::loadRecords()
{
    records = Records();
    const std::optional<std::vector<uint8_t>> bytes = tarvo::loadFile(kSaveName);
    if (!bytes) {
        return;
    }
    if (const std::optional<Records> read = decodeRecords(*bytes)) {
        records = *read;
    } else {
        tarvo::gLog->print("Warning: climb.sav is damaged; records start afresh");
    }
}

void Climb::handleEvent(const SDL_Event&) {}

const char* Climb::stageName() const
{
    switch (screen) {
    case Screen::Title:
        return "title";
    case Screen::Level:
        return "level";
    case Screen::Pause:
        return "pause";
    case Screen::Results:
        return "results";
    }
    return "game";
}

// Each screen reads its actions in the tick they happen; a press that changes the screen is
// not seen by the next one, which starts on the following tick.
void Climb::update()
{
    switch (screen) {
    case Screen::Title:
        if (tarvo::pressed("back")) {
            tarvo::requestQuit(0);
        } else if (tarvo::pressed("jump")) {
            startLevel();
        }
        break;
    case Screen::Level:
        if (tarvo::pressed("pause") || tarvo::pressed("back") || !tarvo::hasFocus()) {
            screen = Screen::Pause;
        } else {
            updateLevel();
        }
        break;
    case Screen::Pause:
        if (tarvo::pressed("back")) {
            world.reset();
            screen = Screen::Title;
        } else if (tarvo::pressed("pause") || tarvo::pressed("jump")) {
            screen = Screen::Level;
        }
        break;
    case Screen::Results:
        ++resultsAge;
        if (resultsAge >= kResultsWait && tarvo::pressed("jump")) {
            world.reset();
            screen = Screen::Title;
        }
        break;
    }
}

void Climb::startLevel()
{
    world.emplace(*map);
    screen = Screen::Level;
    enemies.assign(world->enemies().size(), tarvo::Sprite());
    for (tarvo::Sprite& enemy : enemies) {
        enemy.sheet = enemySheet.get();
    }
    animate();
    camera->snap(world->player().box, true);
}

void Climb::updateLevel()
{
    map->advance();
    const bool wasHurt = world->hurt();
    world->step(readControls(), tarvo::gMainLoop->tickCount);
    for (const std::string& line : world->lines()) {
        tarvo::gLog->print("%s", line.c_str());
    }
    for (const Sound sound : world->sounds()) {
        play(sound);
    }
    animate();
    const Body& body = world->player();
    // A respawn is a jump across the level, not a run for the camera to follow.
    if (wasHurt && !world->hurt()) {
        camera->snap(body.box, body.facingRight);
    } else {
        camera->update(body.box, body.facingRight);
    }
    if (world->complete()) {
        finishLevel();
    }
}

// A designer's map under -level is for trying out: its times are no records.
void Climb::finishLevel()
{
    screen = Screen::Results;
    resultsAge = 0;
    newBest = NewBest();
    if (!tarvo::levelPath().empty()) {
        return;
    }
    newBest = addResult(records, world->ticks(), static_cast<uint32_t>(world->coinsTaken()),
                        static_cast<uint32_t>(world->deaths()));
    if (newBest.any()) {
        tarvo::saveFile(kSaveName, encodeRecords(records));
    }
}

void Climb::play(Sound sound) const
{
    tarvo::gSound->play(-1, sounds[static_cast<int>(sound)], 0);
}

// The sprites follow the world: each picks its animation from what its body does, and plays
// it on by a tick.
void Climb::animate()
{
    const Body& body = world->player();
    if (world->hurt()) {
        player.play(kHurt);
    } else if (!body.onFloor) {
        player.play(body.vy < 0 ? kJump : kFall);
    } else {
        player.play(body.vx != 0 ? kRun : kIdle);
    }
    player.update();
    player.flip = !body.facingRight;
    player.x = (body.box.x >> 8) - (kPlayerFrameWidth - kPlayerWidth) / 2;
    player.y = (body.box.y >> 8) + body.box.height - kPlayerFrameHeight;
    for (size_t i = 0; i < enemies.size(); ++i) {
        const Enemy& enemy = world->enemies()[i];
        enemies[i].play(kWalk);
        enemies[i].update();
        enemies[i].flip = enemy.direction < 0;
        enemies[i].x = enemy.box.x >> 8;
        enemies[i].y = enemy.box.y >> 8;
    }
}

void Climb::draw()
{
    tarvo::gScreen->clear();
    switch (screen) {
    case Screen::Title:
        drawTitle();
        break;
    case Screen::Level:
        drawLevel();
        break;
    case Screen::Pause:
        drawLevel();
        tarvo::gScreen->blitFrom(*dim, nullptr, nullptr);
        drawCentred(tarvo::kScreenHeight / 2 - kGlyphSize / 2, "Paused");
        break;
    case Screen::Results:
        drawResults();
        break;
    }
}

void Climb::drawCentred(int y, const std::string& text)
{
    font->drawText(*tarvo::gScreen, (tarvo::kScreenWidth - font->textWidth(text.c_str())) / 2, y,
                   text.c_str(), 0);
}

void Climb::drawTitle()
{
    drawCentred(64, "Kelda's Climb");
    drawCentred(112, "Press jump to start");
    if (!records.set) {
        drawCentred(160, "Best time --:--.--");
        return;
    }
    drawCentred(160, "Best time " + formatTime(records.bestTicks));
    drawCentred(160 + kLineHeight, "Most coins " + std::to_string(records.mostCoins));
    drawCentred(160 + 2 * kLineHeight, "Fewest deaths " + std::to_string(records.fewestDeaths));
}

void Climb::drawLevel()
{
    const int cameraX = camera->x();
    const int cameraY = camera->y();
    tarvo::drawLevel(*tarvo::gScreen, *map, *views, cameraX, cameraY);
    for (const Coin& coin : world->coins()) {
        if (coin.taken) {
            continue;
        }
        SDL_Rect rect{static_cast<Sint16>(coin.area.x - cameraX),
                      static_cast<Sint16>(coin.area.y - cameraY),
                      static_cast<Uint16>(coin.area.width), static_cast<Uint16>(coin.area.height)};
        const tarvo::Surface* tile =
            coin.tile >= 0 && static_cast<size_t>(coin.tile) < map->shownTiles().size()
                ? map->tileSet.getTile(map->shownTiles()[static_cast<size_t>(coin.tile)])
                : nullptr;
        if (tile) {
            tarvo::gScreen->blitFrom(*tile, nullptr, &rect);
        } else {
            tarvo::gScreen->fillRect(&rect, tarvo::gScreen->mapRgb({255, 208, 64, 0}));
        }
    }
    for (size_t i = 0; i < enemies.size(); ++i) {
        if (world->enemies()[i].alive) {
            enemies[i].draw(*tarvo::gScreen, cameraX, cameraY);
        }
    }
    player.draw(*tarvo::gScreen, cameraX, cameraY);
    const std::string status = formatTime(world->ticks()) + "   Coins " +
                               std::to_string(world->coinsTaken()) + "   Deaths " +
                               std::to_string(world->deaths());
    font->drawText(*tarvo::gScreen, 4, 4, status.c_str(), 0);
}

void Climb::drawResults()
{
    const auto mark = [](bool best) { return best ? "  New best!" : ""; };
    drawCentred(64, "Level complete");
    drawCentred(100, "Time " + formatTime(world->ticks()) + mark(newBest.time));
    drawCentred(100 + kLineHeight, std::to_string(world->coinsTaken()) + " of " +
                                       std::to_string(world->coins().size()) + " coins" +
                                       mark(newBest.coins));
    drawCentred(100 + 2 * kLineHeight,
                std::to_string(world->deaths()) + " deaths" + mark(newBest.deaths));
    if (resultsAge >= kResultsWait) {
        drawCentred(170, "Press jump");
    }
}

} // namespace climb
