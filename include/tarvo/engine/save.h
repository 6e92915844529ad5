/// @file
/// The game's save folder: whole files by name, each replaced at once, so a crash or a full
/// disk while saving leaves the old file or the new one, never a mix.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo
{

/// Writes bytes as the file name in the save folder, replacing any file of that name, and
/// returns whether the new file is safely on disk. Makes the folder on first use.
///
/// A name is letters, digits, `.`, `_` and `-`, not starting with `.`; any other name logs
/// `Warning: "NAME" is not a valid save name` and writes nothing. A failed write (a full disk,
/// no permission) logs `Warning: couldn't save NAME (REASON)` and leaves the old file as it was.
/// Works from load(false) until unload has returned; outside a run it returns false.
TARVO_API bool saveFile(const std::string& name, const std::vector<uint8_t>& bytes);

/// The content of the file name in the save folder; nullopt when there is no such file (not an
/// error, nothing is logged), when the name is not a valid save name (as for saveFile), or when
/// the file cannot be read (`Warning: couldn't load NAME (REASON)`). Works from load(false)
/// until unload has returned; outside a run it returns nullopt.
TARVO_API std::optional<std::vector<uint8_t>> loadFile(const std::string& name);

/// The absolute path of the run's save folder, which may not exist before the first save:
/// `-savedir DIR` when given; else, during `-record` or `-replay`, an empty temporary folder
/// removed at the end of the run (so recordings never see a player's saves and replays never
/// change them); else `$XDG_DATA_HOME/tarvo/NAME` when `$XDG_DATA_HOME` is an absolute path,
/// or `~/.local/share/tarvo/NAME`, NAME being GameInfo::name. Empty outside a run, and when
/// there is no home folder or NAME is not a valid save name (every save then fails).
TARVO_API std::string saveFolder();

} // namespace tarvo
