// Kelda's Climb: the game's screens (title, level, pause, results), what they draw and play,
// and the records kept in the save folder.
#pragma once

#include "records.h"
#include "world.h"

#include <memory>
#include <optional>
#include <tarvo/engine/game.h>
#include <tarvo/tiles/level.h>
#include <tarvo/tiles/sprite.h>
#include <vector>

struct Mix_Chunk;

namespace tarvo
{
class BitmapFont;
class FollowCamera;
class Surface;
} // namespace tarvo

namespace climb
{

/// The game's name, title, files and actions with their default inputs.
const tarvo::GameInfo& gameInfo();

/// Ticks the results stay before jump returns to the title.
constexpr int kResultsWait = 120;

class Climb : public tarvo::Game
{
public:
    Climb();
    ~Climb() override;

    void load(bool reload) override;
    void update() override;
    void handleEvent(const SDL_Event& event) override;
    void draw() override;
    void unload() override;
    const char* stageName() const override;

private:
    enum class Screen { Title, Level, Pause, Results };

    void loadRecords();
    void startLevel();
    void updateLevel();
    void finishLevel();
    void play(Sound sound) const;
    void drawTitle();
    void drawLevel();
    void animate();
    void drawResults();
    void drawCentred(int y, const std::string& text);

    Screen screen = Screen::Title;
    tarvo::TileMap* map = nullptr; // gLevel under -level, else ownMap
    tarvo::LayerViews* views = nullptr;
    std::unique_ptr<tarvo::TileMap> ownMap;
    tarvo::LayerViews ownViews;
    std::optional<World> world;
    std::unique_ptr<tarvo::BitmapFont> font;
    std::unique_ptr<tarvo::Surface> dim;
    std::unique_ptr<tarvo::SpriteSheet> playerSheet;
    std::unique_ptr<tarvo::SpriteSheet> enemySheet;
    tarvo::Sprite player;
    std::vector<tarvo::Sprite> enemies;
    Mix_Chunk* sounds[6] = {};
    Records records;
    NewBest newBest;
    int resultsAge = 0;
    std::unique_ptr<tarvo::FollowCamera> camera;
};

} // namespace climb
