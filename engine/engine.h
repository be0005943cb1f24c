// The ray-casting engine: math, scene and camera, render loop, shading and
// coverage.
#pragma once

#include "engine/fixed.h"
#include "engine/frame.h"
#include "engine/render.h"
#include "engine/scene.h"
#include "engine/shade.h"
#include "engine/vecmath.h"
