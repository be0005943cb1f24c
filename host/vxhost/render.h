// Rendering a clip (or two) through a plug-in, one frame at a time.
//
// How pictures become fields (the layout):
// - interlaced: each frame is two fields in temporal order, the effect lasts
//   two fields per frame, and field 2n + k is the k-th field of frame n;
// - progressive: both fields of frame n are rendered at index n of an effect
//   that lasts as many fields as there are frames, then woven back;
// - fields: every picture is one field, of the parity the user gives.
// The parity flag is set for the upper field (the frame's even rows).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/vxhost/clips.h"
#include "host/vxhost/output.h"
#include "host/vxhost/params.h"

namespace vxhost {

enum class Layout { Auto, Interlaced, Progressive, Fields };

Status parseLayout(const std::string& text, Layout& layout);

// What the command line asks of a render, before the clips are seen.
struct RenderRequest {
  Layout layout = Layout::Auto;
  FieldParity parity = FieldParity::Upper;   // for the fields layout
  long frames = -1;   // the effect's length in pictures; -1: the shorter clip
  long count = -1;    // with index: render one point of an effect this long
  long index = -1;
  int lines = 0;      // 525 or 625; 0 picks by the field's rows
  bool fast = false;
  std::vector<ParameterValue> parameters;
};

// The render worked out against the clips.
struct RenderPlan {
  Layout layout = Layout::Progressive;   // never Auto
  bool topFieldFirst = true;
  FieldParity parity = FieldParity::Upper;
  uint32_t count = 0;       // the effect's length, as the requests carry it
  long firstPicture = 0;    // input pictures used: [firstPicture, firstPicture + pictures)
  long pictures = 0;
  long onlyIndex = -1;      // one field alone (interlaced single-point render)
  uint32_t flags = 0;       // fast and 525-line; parity is added per field
  VideoFormat output;       // format of the pictures written
};

Status planRender(const Plugin& plugin, const RenderRequest& request, Clip& from, Clip* to,
                  RenderPlan& plan);

// Called after each output picture with the pictures done and due.
using ProgressFunction = std::function<void(long done, long total)>;

// Renders the plan, reading the clips from where they stand.
Status renderClips(const Plugin& plugin, const RenderPlan& plan, Clip& from, Clip* to,
                   FrameSink& sink, const ProgressFunction& progress);

}  // namespace vxhost
