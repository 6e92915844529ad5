// The main loop: game logic in fixed ticks, drawing as often as the screen allows.
#include "engine/mainloop.h"

#include "engine/demohooks.h"
#include "core/timer.h"
#include "video/surface.h"

#include <SDL.h>
#include <cstdlib>

MainLoop* gMainLoop = nullptr;

MainLoop::MainLoop()
{
    loadDemoAssets(false);
    lastFpsTime = SDL_GetTicks();
    updateAppState(true);
}

void MainLoop::run()
{
    for (;;) {
        update();
        render();
    }
}

void MainLoop::update()
{
    const uint32_t now = gTimer->ticks();
    const uint32_t elapsed = now - lastTicks;
    lastTicks = now;
    for (uint32_t i = 0; i < elapsed; ++i) {
        pumpEvents();
        updateDemo();
        ++tickCount;
    }
}

void MainLoop::render()
{
    if (!(SDL_GetAppState() & SDL_APPACTIVE)) {
        return;
    }
    drawDemo();
    gScreen->flip();
    ++frameCount;
    const uint32_t now = SDL_GetTicks();
    if (static_cast<int32_t>(now - lastFpsTime) > 1000) {
        fps = frameCount;
        frameCount = 0;
        lastFpsTime = now;
    }
}

void MainLoop::pumpEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            std::exit(0);
        }
        if (event.type == SDL_ACTIVEEVENT) {
            updateAppState(false);
        }
        if (active) {
            handleDemoEvent(event);
        }
    }
    if (!active) {
        gTimer->delay(1);
    }
}

void MainLoop::updateAppState(bool initial)
{
    const uint8_t state = SDL_GetAppState();
    active = (state & SDL_APPINPUTFOCUS) && (state & SDL_APPACTIVE);
    const bool nowVisible = (state & SDL_APPACTIVE) != 0;
    wasVisible = initial ? nowVisible : visible;
    visible = nowVisible;
    // Restored from the iconified state: the demo's converted images are loaded afresh.
    if (visible && !wasVisible) {
        loadDemoAssets(true);
    }
}
