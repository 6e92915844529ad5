// Choosing the run's save folder at start-up and letting it go at shutdown, for saveFile and
// loadFile in between.
#pragma once

#include <string>

namespace tarvo
{

// Opens the run's save folder: saveDir when given (made absolute), else a new temporary folder
// when temporary, else the player's folder for gameName. Throws Exception::userError when the
// temporary folder cannot be made, so a recording never falls back to the player's saves.
void openSaveFolder(const char* saveDir, const std::string& gameName, bool temporary);
// Removes the temporary folder, if any; saves fail from now on.
void closeSaveFolder();

// DATAHOME/tarvo/GAME for an absolute dataHome ($XDG_DATA_HOME), else
// HOME/.local/share/tarvo/GAME for an absolute home; "" without either or for a game name that
// is not a valid save name.
std::string playerSaveFolder(const char* dataHome, const char* home, const std::string& gameName);

// Called between a save's flushed write and its rename, when set: lets a test kill a save at
// that instant.
extern void (*gBeforeSaveRename)();

} // namespace tarvo
