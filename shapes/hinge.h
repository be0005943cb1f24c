// Flat strips hinged to each other, and the turns of the solids they fold
// into.
//
// A strip lies in the plane z = 0 of its own coordinates. Four strips of
// width 1, numbered 0 to 3, lie side by side across one axis, the across
// axis: x when the hinges stand upright, y when they lie level. Strip i
// covers [i - 2, i - 1] across, so strips 1 and 2 share the line across = 0.
// Folding by an angle turns every strip against its neighbour by that angle,
// away from a viewer on the +z side, like a folding screen: strips 1 and 2
// turn by -fold/2 and +fold/2 about their shared line, strips 0 and 3 by
// -1.5·fold and +1.5·fold about the outer edges of strips 1 and 2, which
// they stay joined to. At fold π/2 the strips close into a square ring of
// side 1 whose centre line is across = 0, z = -√2/2.
//
// Every matrix here is a rigid motion in the plane of the across axis and z
// (rows (c, s; -s, c) on those two coordinates); the third axis, the one
// the hinges run along, is left alone.
#pragma once

#include "engine/vecmath.h"
#include "shapes/shapeframe.h"

enum HingeAxis : int {
  HingesUpright = 0,   // across axis x: the strips stand side by side
  HingesLevel = 1,     // across axis y: the strips lie one above another
};

enum : int { HingedStripCount = 4 };

// Depth of the line the folded solids spin and roll about: across = 0,
// z = -SpinAxisDepth. It lies a little behind the centre of the closed ring
// (z = -√2/2), so a closed solid swings slightly as it turns.
constexpr double SpinAxisDepth = 0.86602540378443865;   // √0.75

// out = the turn by angle (radians) about the line through (pivotAcross,
// pivotZ) along the hinge direction. A positive angle carries +across
// towards -z.
void turnAboutLine(Mat4* out, HingeAxis axis, double angle, double pivotAcross,
                   double pivotZ);

// out = the placement of strip (0 .. 3) folded by fold (radians).
void stripHinge(Mat4* out, HingeAxis axis, int strip, double fold);

// out = the turn by angle about the spin line across = 0, z = -SpinAxisDepth.
void spinAboutAxis(Mat4* out, HingeAxis axis, double angle);

// The placements of the folded solids' faces, built from the pieces above
// (product order as written, each factor acting on the result of the one to
// its right).

// Strip (0 .. 3) of upright hinges folded by fold, after leaning back by
// lean about its own level line y = leanPivot, z = 0 (a positive lean
// carries +y towards -z), then spun by spin about the upright spin line:
// Spin · Hinge · Lean.
void leaningStripPlacement(Mat4* out, int strip, double fold, double lean,
                           double leanPivot, double spin);

// Strip (0 .. 3) of level hinges folded by fold, rolled by roll about the
// level spin line, then turned by turn about the upright spin line:
// Turn · Roll · Hinge.
void rollingStripPlacement(Mat4* out, int strip, double fold, double roll,
                           double turn);

// The transitions built of hinged strips ------------------------------------
//
// Each cuts the picture into four strips of width 1: upright strips side by
// side for the pyramid and the diamond, level strips one above another for
// the rectangular tube. The strips fold by (π/2)·ramp, closed from the
// middle of the transition on.

// The fold of this field.
float stripFold(const TransitionFrame& frame);

// Rectangle, picture and texel mapping of one face: strip (0 .. 3) across
// `axis`, [along0, along1] along the hinges. The picture's full width
// (upright strips) or full height (level strips) spans the four strips,
// centred on the line across = 0, its proportions kept.
void fillStripFace(Surface* face, const TransitionFrame& frame, HingeAxis axis, int strip,
                   double along0, double along1);

// The camera inputs every strip transition shares: a yaw away from the
// spinning sense and a pitch from above, both growing with ramp; the centre
// at the world origin; the size factor that makes the flat picture (4 units
// across the strips) fill the view at zoom 1; and a box around the solid.
void stripCamera(const TransitionFrame& frame, HingeAxis axis, const CornerPath& path,
                 CameraInputs* inputs);

// Pyramid and diamond: upright strips whose faces lean inward about a level
// edge, each trimmed to the trapezoid whose slanted edges meet its
// neighbours' as the strips fold.
struct LeaningStrips {
  float halfHeight;   // half a strip's height, 2·viewHeight/viewWidth strip widths
  float fold;         // radians
  float lean;         // radians, about the face's level hinge edge
  float spinAngle;    // radians, about the upright spin line
  float taper;        // inset of each face's narrow edge on each side
};

// The curves of one field. Each strip of picture, 2·(2·viewHeight/viewWidth)
// tall, is one face (pyramid) or two faces hinged at its middle (diamond).
// The lean makes each face's narrow edge move inward by half a strip
// (sin lean · face height = 1/2), so that the narrow edges meet on the axis
// of the closed ring; for pictures with viewWidth/(4·viewHeight) ≥ √0.75,
// far wider than video, it is 60° instead. The taper follows the fold and
// the lean.
LeaningStrips leaningStrips(const TransitionFrame& frame, const ShapeParameters& parameters,
                            const CornerPath& path, int facesPerStrip);
