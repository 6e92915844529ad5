// sound: a sound effect played on a key, panned to the left speaker, both or the right one,
// over a tune that loops until the game ends. Left, Space and Right play the chime, M stops
// and starts the music, Escape quits. Without a sound device the game runs silently.
//
// MIDI music needs a General MIDI sound font (Debian's fluid-soundfont-gm, or SDL_SOUNDFONTS);
// without one, loading the tune fails with a line in the log and the chime plays alone.
#include <SDL_mixer.h>
#include <memory>
#include <tarvo/tarvo.h>

// Where the chime sounds: how loud in the left and right speaker (255 is full), and where
// its lamp is on the screen.
struct Pan {
    Uint8 left;
    Uint8 right;
    Sint16 lampX;
};
const Pan kPans[] = {{255, 0, 40}, {255, 255, 140}, {0, 255, 240}};
const int kLampTicks = 40; // how long a lamp glows after its chime

class Sound : public tarvo::Game
{
public:
    void load(bool reload) override
    {
        if (reload) {
            return;
        }
        font = std::make_unique<tarvo::BitmapFont>("tarvo/font8.png", 8, 8);
        // Effects are decoded whole into memory; null when there is no sound, which play skips.
        chime = tarvo::gSound->loadSound("tarvo/chime.wav");
        // Music streams from the pak as it plays. loops -1 repeats it until stopped.
        tarvo::gMusic->volume = 64; // of 128
        if (tarvo::gMusic->load("tarvo/tune.mid")) {
            tarvo::gMusic->play(-1, 1000);
        }
    }

    void handleEvent(const SDL_Event& event) override
    {
        if (event.type != SDL_KEYDOWN) {
            return;
        }
        switch (event.key.keysym.sym) {
        case SDLK_LEFT:
            playChime(0);
            break;
        case SDLK_SPACE:
            playChime(1);
            break;
        case SDLK_RIGHT:
            playChime(2);
            break;
        case SDLK_m:
            musicOn = !musicOn;
            if (musicOn) {
                tarvo::gMusic->play(-1, 1000); // a fade in over a second
            } else {
                tarvo::gMusic->stop(1000); // and out
            }
            break;
        case SDLK_ESCAPE:
            tarvo::requestQuit(0);
            break;
        default:
            break;
        }
    }

    void playChime(int pan)
    {
        // The first free channel (-1) plays it once (0 repeats); the pan is set on that
        // channel, so chimes overlapping on other channels keep theirs.
        const int channel = tarvo::gSound->play(-1, chime, 0);
        if (channel >= 0) {
            tarvo::gSound->setPanning(channel, kPans[pan].left, kPans[pan].right);
        }
        lampTicks[pan] = kLampTicks;
    }

    void update() override
    {
        for (int& ticks : lampTicks) {
            ticks = ticks > 0 ? ticks - 1 : 0;
        }
    }

    void draw() override
    {
        tarvo::Surface& screen = *tarvo::gScreen;
        screen.fillRect(nullptr, screen.mapRgb({16, 20, 24, 0}));
        // A lamp per pan, bright when its chime starts and fading with it.
        const char* names[] = {"Left", "Both", "Right"};
        for (int i = 0; i < 3; ++i) {
            const Uint8 glow = static_cast<Uint8>(48 + 200 * lampTicks[i] / kLampTicks);
            SDL_Rect lamp = {kPans[i].lampX, 90, 40, 40};
            screen.fillRect(&lamp, screen.mapRgb({glow, glow, 32, 0}));
            font->drawText(screen, kPans[i].lampX + 20 - font->textWidth(names[i]) / 2, 136,
                           names[i], 0);
        }
        font->drawText(screen, 4, 4, "Left, Space, Right: the chime", 0);
        font->drawText(screen, 4, 14, musicOn ? "M: music off" : "M: music on", 0);
        font->drawText(screen, 4, 230, "Escape quits", 0);
    }

    void unload() override
    {
        // The sample is ours to free, once no channel plays it; the music is the engine's.
        tarvo::gSound->haltChannel(-1);
        Mix_FreeChunk(chime);
        font.reset();
    }

private:
    std::unique_ptr<tarvo::BitmapFont> font;
    Mix_Chunk* chime = nullptr;
    int lampTicks[3] = {};
    bool musicOn = true;
};

int main(int argc, char** argv)
{
    tarvo::GameInfo info;
    info.name = "sound";
    info.title = "Tarvo sound";
    info.configFile = "sound.cfg";
    info.filePrefix = "sound";
    Sound game;
    return tarvo::run(argc, argv, info, game);
}
