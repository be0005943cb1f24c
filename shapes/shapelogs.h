// How each shape transition signs its log records: the module's source path
// and operator number, and the line number each failure reports. The line
// numbers are fixed per module, not the lines of this code.
#pragma once

#include "runtime/operator.h"

struct ShapeLog {
  ModuleIdentity identity;
  int lineNoStream1;   // the background field could not be fetched
  int lineNoStream0;   // the source field could not be fetched
  int lineNoScratch;   // the render frame could not be allocated
};

inline constexpr ShapeLog SaucerLog = {{"../../src/kasaucer", 3409}, 120, 126, 135};
inline constexpr ShapeLog CubeLog = {{"../../src/kacube", 3401}, 122, 128, 137};
inline constexpr ShapeLog SphereLog = {{"../../src/kasphere", 3410}, 120, 126, 135};
inline constexpr ShapeLog EllipsoidLog = {{"../../src/kaellipsoid", 3405}, 120, 126, 135};
inline constexpr ShapeLog ConeLog = {{"../../src/kacone", 3400}, 120, 126, 135};
inline constexpr ShapeLog DiamondLog = {{"../../src/kadiamond", 3403}, 121, 127, 136};
inline constexpr ShapeLog CylinderLog = {{"../../src/kacylinder", 3402}, 120, 126, 135};
inline constexpr ShapeLog SphereX4Log = {{"../../src/kaspherex4", 3411}, 109, 115, 124};
inline constexpr ShapeLog PyramidLog = {{"../../src/kapyramid", 3406}, 120, 126, 135};
inline constexpr ShapeLog RectTubeLog = {{"../../src/karecttube", 3407}, 120, 126, 135};
