// Drawable: the base draws nothing, so an unbound or bare drawable is harmless.
#include "tiles/drawable.h"

void Drawable::draw(Surface&) {}
