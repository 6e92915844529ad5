// hello: the smallest game on the Tarvo Engine. It opens the window, writes text in the engine's
// bitmap font, echoes what you type, names each key you press and quits on Escape.
//
// Run it on the engine's assets, where its font is:
//     ./hello -game "$(pkg-config --variable=assetsdir tarvo)"
#include <memory>
#include <string>
#include <tarvo/tarvo.h>

// A game is a class. The engine calls load once it is up, then, 60 times a second, handleEvent
// for each event of the tick and update for the tick itself, and draw for each frame.
class Hello : public tarvo::Game
{
public:
    void load(bool reload) override
    {
        // reload is set when the window comes back from being iconified; the font stays loaded.
        if (reload) {
            return;
        }
        // Names are paths inside the game directory given with -game, here its pak000.zip.
        font = std::make_unique<tarvo::BitmapFont>("tarvo/font8.png", 8, 8);
    }

    void handleEvent(const SDL_Event& event) override
    {
        if (event.type != SDL_KEYDOWN) {
            return;
        }
        const SDL_keysym& key = event.key.keysym;
        if (key.sym == SDLK_ESCAPE) {
            tarvo::requestQuit(0); // nothing more of this tick runs; run returns 0
            return;
        }
        lastKey = SDL_GetKeyName(key.sym);
        // The engine turns on SDL's key translation: unicode is the character typed, or 0.
        if (key.sym == SDLK_BACKSPACE && !typed.empty()) {
            typed.pop_back();
        } else if (key.unicode >= ' ' && key.unicode <= 255 && typed.size() < 36) {
            typed += static_cast<char>(key.unicode);
        }
    }

    void update() override
    {
        // Game logic runs here, at a fixed 60 ticks a second whatever the frame rate is.
        cursorShown = tarvo::gMainLoop->tickCount / 30 % 2 == 0;
    }

    void draw() override
    {
        tarvo::Surface& screen = *tarvo::gScreen; // 320 x 240, scaled up by the window
        screen.fillRect(nullptr, screen.mapRgb({24, 32, 64, 0}));

        const char* title = "Hello, Tarvo!";
        font->drawText(screen, (tarvo::kScreenWidth - font->textWidth(title)) / 2, 40, title, 0);
        font->drawText(screen, 24, 100, "Type something:", 0);
        const std::string line = typed + (cursorShown ? "_" : "");
        font->drawText(screen, 24, 116, line.c_str(), 0);
        const std::string key = "Last key: " + lastKey;
        font->drawText(screen, 24, 148, key.c_str(), 0);
        const char* help = "Escape quits\nF12 saves a screenshot";
        font->drawText(screen, (tarvo::kScreenWidth - font->textWidth(help)) / 2, 200, help,
                       tarvo::BitmapFont::centered);
    }

    void unload() override
    {
        // Free engine resources here, while the engine is still up.
        font.reset();
    }

private:
    std::unique_ptr<tarvo::BitmapFont> font;
    std::string typed;
    std::string lastKey = "none";
    bool cursorShown = true;
};

int main(int argc, char** argv)
{
    tarvo::GameInfo info;
    info.name = "hello";           // its install name: data in share/games/hello/base
    info.title = "Hello, Tarvo";   // the window's caption
    info.configFile = "hello.cfg"; // settings; without it, the engine's defaults
    info.filePrefix = "hello";     // F12 saves hello-0000.png, F9 records hello-0000.gif
    Hello game;                    // built before run, but touches the engine only from load on
    return tarvo::run(argc, argv, info, game);
}
