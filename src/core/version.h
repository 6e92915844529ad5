// The engine's version, as the start-up log and every replay file give it.
#pragma once

const int kVersionMajor = 1;
const int kVersionMinor = 1;
const int kVersionPatch = 0;
