// The start-up and F5 halves of the level designer's loop behind levelPath().
#pragma once

namespace tarvo
{

class CommandLine;

// With -level FILE, loads FILE into gLevel and binds gLayerViews to it; throws
// Exception::userError "-level: MESSAGE" when it does not load, or "-level needs a value".
void loadLevelOption(const CommandLine& commandLine);
// F5: reloads levelPath() into gLevel in place, or logs "Warning: MESSAGE" and keeps the old
// level. False, doing nothing, without -level; true once reloaded.
bool reloadLevel();
// Frees gLevel, unbinds gLayerViews and forgets levelPath(), at shutdown.
void closeLevel();

} // namespace tarvo
