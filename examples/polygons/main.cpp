// polygons: a spinning octahedron from the engine's software renderer, its faces textured, lit
// per corner (Gouraud) and hidden by the depth buffer alone. Left and Right swing the light,
// Space pauses, Escape quits.
#include <algorithm>
#include <cmath>
#include <memory>
#include <tarvo/tarvo.h>
#include <vector>

// The octahedron's six corners, one each way along the three axes; each of its eight faces
// takes one corner from each axis. A corner's direction from the centre is also its normal.
const float kCorners[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const int kFaces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                          {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
// Where each face's corners lie on the 32 x 32 texture, in texels.
const float kFaceUv[3][2] = {{0, 32}, {32, 32}, {16, 0}};
const float kRadius = 80;    // the solid's size
const float kDistance = 220; // from the eye to the solid's centre
const float kFocal = 240;    // pixels per unit of x / z: the lens

class Polygons : public tarvo::Game
{
public:
    void load(bool /*reload*/) override
    {
        if (!font) {
            font = std::make_unique<tarvo::BitmapFont>("tarvo/font8.png", 8, 8);
        }
        // Textures must have the screen's 32-bit layout and power-of-two sides. Converting to
        // the display format is redone on every load, a reload after iconifying included.
        texture.loadImage("tarvo/texture-bricks.png");
        texture.convertToDisplayFormat(true);

        // One depth value per screen pixel: a pixel is drawn only where it is nearer than what
        // the buffer holds, so the faces may be drawn in any order.
        depth.assign(tarvo::kScreenWidth * tarvo::kScreenHeight, 0.0f);
        depthBuffer.data = depth.data();
        depthBuffer.width = tarvo::kScreenWidth;
        depthBuffer.height = tarvo::kScreenHeight;

        // PTEXGOURAUD: each pixel is the mean of its texel and the colour shaded across the face.
        polygon.type = tarvo::PTEXGOURAUD;
        polygon.interpFlags = tarvo::kDefaultInterpFlags[tarvo::PTEXGOURAUD];
        polygon.setTexture(&texture);
        polygon.depthBuffer = &depthBuffer;
    }

    void handleEvent(const SDL_Event& event) override
    {
        if (event.type != SDL_KEYDOWN) {
            return;
        }
        const SDLKey key = event.key.keysym.sym;
        if (key == SDLK_LEFT || key == SDLK_RIGHT) {
            lightAngle += key == SDLK_LEFT ? -0.4f : 0.4f;
        } else if (key == SDLK_SPACE) {
            paused = !paused;
        } else if (key == SDLK_ESCAPE) {
            tarvo::requestQuit(0);
        }
    }

    void update() override
    {
        if (!paused) {
            turnX += 0.013f;
            turnY += 0.021f;
        }
    }

    void draw() override
    {
        tarvo::Surface& screen = *tarvo::gScreen;
        screen.fillRect(nullptr, screen.mapRgb({20, 16, 28, 0}));
        tarvo::clearDepth(depthBuffer);

        // A unit vector towards the light: lightAngle around the solid (0: behind the eye), and
        // from above.
        const float light[3] = {0.8f * std::sin(lightAngle), 0.6f, -0.8f * std::cos(lightAngle)};

        // Turn each corner about the y axis, then the x axis, light it, and project it.
        tarvo::Vertex3d turned[6];
        for (int i = 0; i < 6; ++i) {
            const float* c = kCorners[i];
            const float x = c[0] * std::cos(turnY) + c[2] * std::sin(turnY);
            const float z0 = c[2] * std::cos(turnY) - c[0] * std::sin(turnY);
            const float y = c[1] * std::cos(turnX) - z0 * std::sin(turnX);
            const float z = z0 * std::cos(turnX) + c[1] * std::sin(turnX);

            // Gouraud lighting: brightness from the corner's normal and the light, a tenth of
            // it always there (ambient), interpolated across each face by the renderer.
            const float facing = x * light[0] + y * light[1] + z * light[2];
            const float bright = 0.1f + 0.9f * std::max(facing, 0.0f);
            turned[i].color =
                screen.mapRgb({Uint8(255 * bright), Uint8(190 * bright), Uint8(110 * bright), 0});

            // Perspective: x and y shrink with the depth z, which the renderer also gets.
            turned[i].z = kDistance + kRadius * z;
            turned[i].x = tarvo::kScreenWidth / 2 + kFocal * kRadius * x / turned[i].z;
            turned[i].y = tarvo::kScreenHeight / 2 - kFocal * kRadius * y / turned[i].z;
        }

        // Every face is drawn, the far ones too: the depth buffer hides them.
        for (const int* face : kFaces) {
            tarvo::Vertex3d corners[3];
            tarvo::Vertex3d* pointers[3];
            for (int k = 0; k < 3; ++k) {
                corners[k] = turned[face[k]];
                corners[k].u = kFaceUv[k][0];
                corners[k].v = kFaceUv[k][1];
                pointers[k] = &corners[k];
            }
            polygon.vertices = pointers;
            polygon.vertexCount = 3;
            polygon.draw(screen);
        }

        font->drawText(screen, 4, 4, "Textured, Gouraud-lit, depth-buffered", 0);
        font->drawText(screen, 4, 222, "Left/Right: light  Space: pause", 0);
    }

    void unload() override
    {
        texture.release();
        font.reset();
    }

private:
    std::unique_ptr<tarvo::BitmapFont> font;
    tarvo::Surface texture;
    std::vector<float> depth;
    tarvo::DepthBuffer depthBuffer;
    tarvo::Polygon3d polygon;
    float turnX = 0.4f; // radians
    float turnY = 0;
    float lightAngle = -1.2f; // radians, from the upper left
    bool paused = false;
};

int main(int argc, char** argv)
{
    tarvo::GameInfo info;
    info.name = "polygons";
    info.title = "Tarvo polygons";
    info.configFile = "polygons.cfg";
    info.filePrefix = "polygons";
    Polygons game;
    return tarvo::run(argc, argv, info, game);
}
