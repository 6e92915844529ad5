// Allegro 4's software 3D renderer as a peer: the same quads drawn with polygon3d into a 32-bit
// memory bitmap with its z-buffer. Kept apart because allegro.h clashes with SDL's names.
#pragma once

#include "benchscene.h"

struct AllegroScene;

// Starts Allegro without a display; false when it cannot.
bool allegroStart();
AllegroScene* allegroCreateScene(int width, int height, const BenchTexture& texture);
void allegroDestroyScene(AllegroScene* scene);
// Clears bitmap and z-buffer, then draws every quad of frame as the case's polygon type.
void allegroDrawFrame(AllegroScene* scene, BenchCase kind, const BenchFrame& frame);
long allegroNonZeroPixels(const AllegroScene* scene);
