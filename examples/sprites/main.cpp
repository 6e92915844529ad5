// sprites: pictures cut from sprite sheets and drawn three ways. A coin and a slime whose
// magenta background is a colour key, a glow and a puff of smoke with an alpha channel, and a
// big coin turned and scaled every frame by rotate-and-scale. Left and Right change its spin,
// Space pauses everything, Escape quits.
#include <cmath>
#include <memory>
#include <string>
#include <tarvo/tarvo.h>

// Both sheets hold four 32 x 32 frames a row; row 0 and row 1 are two different sprites.
const int kFrameSize = 32;
const int kTicksPerFrame = 8;

// The source rectangle of one frame of a sheet.
SDL_Rect frameRect(int frame, int row)
{
    return {static_cast<Sint16>(frame * kFrameSize), static_cast<Sint16>(row * kFrameSize),
            kFrameSize, kFrameSize};
}

class Sprites : public tarvo::Game
{
public:
    void load(bool reload) override
    {
        if (reload) {
            return;
        }
        font = std::make_unique<tarvo::BitmapFont>("tarvo/font8.png", 8, 8);

        // Colour key: pixels of exactly this value are left out when the sheet is drawn.
        keyed.loadImage("tarvo/sprites-key.png");
        keyed.setColorKey(SDL_SRCCOLORKEY, keyed.mapRgb({255, 0, 255, 0}));

        // Alpha: each pixel is mixed into what lies behind it by its own alpha value.
        blended.loadImage("tarvo/sprites-alpha.png");
        blended.setAlpha(SDL_SRCALPHA, 255);

        // The coin for rotate-and-scale, copied into a picture of its own with an alpha channel
        // that starts transparent: the keyed pixels are never copied, so they stay transparent,
        // and the turned copies get soft edges.
        coin.create(tarvo::argbFormat(kFrameSize, kFrameSize, 0xFF000000));
        coin.fillRect(nullptr, 0);
        SDL_Rect face = frameRect(0, 0);
        coin.blitFrom(keyed, &face, nullptr);
    }

    void handleEvent(const SDL_Event& event) override
    {
        if (event.type != SDL_KEYDOWN) {
            return;
        }
        switch (event.key.keysym.sym) {
        case SDLK_LEFT:
            spin -= 1;
            break;
        case SDLK_RIGHT:
            spin += 1;
            break;
        case SDLK_SPACE:
            paused = !paused;
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
        if (paused) {
            return;
        }
        ++ticks;
        angle = std::fmod(angle + spin, 360.0);
    }

    void draw() override
    {
        tarvo::Surface& screen = *tarvo::gScreen;
        // Stripes behind the sprites, so that what is transparent shows.
        for (Sint16 y = 0; y < tarvo::kScreenHeight; y += 16) {
            SDL_Rect stripe = {0, y, tarvo::kScreenWidth, 16};
            const Uint8 shade = y % 32 == 0 ? 40 : 64;
            screen.fillRect(&stripe, screen.mapRgb({shade, shade, Uint8(shade + 32), 0}));
        }

        // Each sprite steps through its row's four frames, one every kTicksPerFrame ticks.
        const int frame = ticks / kTicksPerFrame % 4;
        for (int row = 0; row < 2; ++row) {
            SDL_Rect source = frameRect(frame, row);
            SDL_Rect keyedAt = {Sint16(36 + row * 48), 28, 0, 0};
            screen.blitFrom(keyed, &source, &keyedAt);
            SDL_Rect blendedAt = {Sint16(204 + row * 48), 28, 0, 0};
            screen.blitFrom(blended, &source, &blendedAt);
        }
        font->drawText(screen, 36, 12, "Colour key", 0);
        font->drawText(screen, 204, 12, "Alpha", 0);

        // A fresh copy each frame, turned by angle degrees and scaled by zoom; smoothing (the
        // last argument) filters it. Turning the last copy again would blur it more each time.
        const double zoom = 2.5 + 0.5 * std::sin(ticks * 0.05);
        tarvo::Surface turned;
        turned.rotoZoom(coin, angle, zoom, 1);
        // The copy grows as it turns, so it is centred by its own size.
        const int x = 160 - turned.getWidth() / 2;
        const int y = 160 - turned.getHeight() / 2;
        SDL_Rect at = {Sint16(x), Sint16(y), 0, 0};
        screen.blitFrom(turned, nullptr, &at);

        const std::string status =
            "Rotate and scale: spin " + std::to_string(spin) + (paused ? ", paused" : "");
        font->drawText(screen, 4, 220, status.c_str(), 0);
        font->drawText(screen, 4, 230, "Left/Right: spin  Space: pause", 0);
    }

    void unload() override
    {
        font.reset();
        keyed.release();
        blended.release();
        coin.release();
    }

private:
    std::unique_ptr<tarvo::BitmapFont> font;
    tarvo::Surface keyed;
    tarvo::Surface blended;
    tarvo::Surface coin;
    int ticks = 0;
    int spin = 2; // degrees a tick
    double angle = 0;
    bool paused = false;
};

int main(int argc, char** argv)
{
    tarvo::GameInfo info;
    info.name = "sprites";
    info.title = "Tarvo sprites";
    info.configFile = "sprites.cfg";
    info.filePrefix = "sprites";
    Sprites game;
    return tarvo::run(argc, argv, info, game);
}
