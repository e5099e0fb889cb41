#pragma once

// OpenGL 3.3 core declarations for the sources of the OpenGL back end only. libglvnd's
// libGL exports the core entry points for GLX and EGL contexts alike, so they are called
// directly.

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
