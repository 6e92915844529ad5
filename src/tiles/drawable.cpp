// Drawable: the base draws nothing, so an unbound or bare drawable is harmless.
#include "tarvo/tiles/drawable.h"

namespace tarvo
{

void Drawable::draw(Surface&) {}

} // namespace tarvo
