// The entry points through which the main loop drives the game; the demo implements them.
#pragma once

union SDL_Event;

namespace tarvo
{

void loadDemoAssets(bool reload);
void updateDemo();
void handleDemoEvent(const SDL_Event& event);
void drawDemo();
// The name of the stage drawDemo draws, for the benchmark's per-stage table.
const char* demoStageName();

} // namespace tarvo
