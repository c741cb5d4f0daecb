// What an OpenGL implementation offers beyond 1.1, read from the strings it
// reports. Neutral, so that the reading is tested without a context.
#pragma once

// Whether texture environment combiners (GL_COMBINE) are there: a version
// string ("major.minor[.release] vendor text") of 1.3 or later, or one of
// the combine extensions named as a whole word in the space-separated
// extension list. Null strings (no current context) offer nothing.
bool hasTextureCombiners(const char* version, const char* extensions);
