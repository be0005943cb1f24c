#include "host/vxhost/render.h"

#include <algorithm>

#include "host/vxhost/services.h"

namespace vxhost {

namespace {

// Fields of 240 to 243 rows are 525-line video; anything else is 625-line.
constexpr int Lines525MinRows = 240, Lines525MaxRows = 243;
// Two fields a frame must still fit the requests' 32-bit count.
constexpr long MaxEffectFrames = 0x3FFFFFFF;

// A clip made only of built-in pictures lasts one second.
long builtinFrames(const Rational& rate) { return std::max(1L, (long)((rate.num + rate.den / 2) / rate.den)); }

Status checkStreams(const Plugin& plugin, Clip* to) {
  if (plugin.kind() == OperatorKind::Transition && !to)
    return Status::usage(plugin.name() + " is a transition: give the clip it ends on with --to");
  if (plugin.kind() == OperatorKind::Effect && to)
    return Status::usage(plugin.name() + " is an effect on one clip; leave out --to");
  return Status();
}

Status checkSizes(const Clip& from, const Clip* to) {
  const VideoFormat& a = from.format();
  if (to && (to->format().width != a.width || to->format().height != a.height))
    return Status::failure("the clips differ in size: " + from.name() + " is " + std::to_string(a.width) +
                           "x" + std::to_string(a.height) + ", " + to->name() + " is " +
                           std::to_string(to->format().width) + "x" +
                           std::to_string(to->format().height) + "; a transition needs one size");
  return Status();
}

// Frames available in both clips, or -1 when neither ends. When the length
// is given, clips that are slow to count are not: a short one shows when it
// ends early.
Status availableFrames(Clip& from, Clip* to, bool lengthGiven, long& frames, std::string& shortest) {
  frames = -1;
  for (Clip* clip : {&from, to}) {
    if (!clip || (lengthGiven && !clip->quickLength())) continue;
    long n;
    VX_TRY(clip->length(n));
    if (n >= 0 && (frames < 0 || n < frames)) {
      frames = n;
      shortest = clip->name();
    }
  }
  return Status();
}

Status planLength(const RenderRequest& request, Clip& from, Clip* to, RenderPlan& plan) {
  long available;
  std::string shortest;
  VX_TRY(availableFrames(from, to, request.frames >= 0 || request.count >= 0, available, shortest));
  bool interlaced = plan.layout == Layout::Interlaced;
  if (request.count >= 0) {
    if (request.count < 1 || request.count > MaxEffectFrames || request.index < 0 ||
        request.index >= request.count)
      return Status::usage("--index must be at least 0 and below --count, and --count at least 1");
    plan.count = (uint32_t)request.count;
    plan.firstPicture = interlaced ? request.index / 2 : request.index;
    plan.pictures = 1;
    plan.onlyIndex = interlaced ? request.index : -1;
    if (available >= 0 && plan.firstPicture >= available)
      return Status::failure(shortest + " has " + std::to_string(available) + " pictures, and field " +
                             std::to_string(request.index) + " needs picture " +
                             std::to_string(plan.firstPicture));
    return Status();
  }
  long frames = request.frames >= 0 ? request.frames
                : available >= 0  ? available
                                  : builtinFrames(from.format().rate);
  if (frames < 1)
    return Status::failure(available == 0 ? shortest + " has no frames" : "--frames must be at least 1");
  if (available >= 0 && frames > available)
    return Status::failure(shortest + " has only " + std::to_string(available) + " frames, and --frames " +
                           std::to_string(frames) + " asks for more");
  if (frames > MaxEffectFrames) return Status::usage("--frames is too large");
  plan.pictures = frames;
  plan.count = (uint32_t)(interlaced ? 2 * frames : frames);
  return Status();
}

FieldParity other(FieldParity parity) {
  return parity == FieldParity::Upper ? FieldParity::Lower : FieldParity::Upper;
}

class FieldRenderer {
 public:
  FieldRenderer(const Plugin& plugin, const RenderPlan& plan) : plugin_(plugin), plan_(plan) {}

  // Renders field index of the effect from the given fields of the inputs.
  Status render(uint32_t index, FieldParity parity, const Picture* const* inputs, Picture& out) {
    OpRequest request{};
    request.code = OpRender;
    request.flags = plan_.flags | (parity == FieldParity::Upper ? OpFlagParity : 0u);
    request.count = plan_.count;
    request.index = index;
    return host_.renderField(plugin_, request, inputs, out);
  }

  // Renders one field of two frames, taking that field of every input.
  Status renderFrom(uint32_t index, FieldParity parity, const Picture* const* frames, int streams,
                    Picture& out) {
    for (int s = 0; s < streams; ++s) extractField(*frames[s], parity, fields_[s]);
    const Picture* inputs[2] = {&fields_[0], &fields_[1]};
    return render(index, parity, inputs, out);
  }

 private:
  const Plugin& plugin_;
  const RenderPlan& plan_;
  FieldHost host_;
  Picture fields_[2];
};

Status readFrame(Clip& clip, Picture& frame, long number) {
  bool end;
  VX_TRY(clip.next(frame, end));
  if (end)
    return Status::failure(clip.name() + " ended after " + std::to_string(number) + " frames");
  return Status();
}

}  // namespace

Status parseLayout(const std::string& text, Layout& layout) {
  if (text == "auto") layout = Layout::Auto;
  else if (text == "interlaced") layout = Layout::Interlaced;
  else if (text == "progressive") layout = Layout::Progressive;
  else if (text == "fields") layout = Layout::Fields;
  else return Status::usage("--layout takes interlaced, progressive, fields or auto, not '" + text + "'");
  return Status();
}

Status planRender(const Plugin& plugin, const RenderRequest& request, Clip& from, Clip* to,
                  RenderPlan& plan) {
  VX_TRY(checkStreams(plugin, to));
  VX_TRY(checkSizes(from, to));
  const VideoFormat& f = from.format();
  plan = RenderPlan();
  plan.layout = request.layout;
  if (plan.layout == Layout::Auto)
    plan.layout = f.interlace == Interlace::Progressive ? Layout::Progressive : Layout::Interlaced;
  plan.topFieldFirst = f.interlace != Interlace::BottomFirst;
  plan.parity = request.parity;

  bool fields = plan.layout == Layout::Fields;
  int rows = fields ? f.height : fieldRows(f.height, FieldParity::Lower);
  VX_TRY(checkFieldSize(f.width, rows).within(from.name()));
  int upperRows = fields ? f.height : fieldRows(f.height, FieldParity::Upper);
  VX_TRY(planLength(request, from, to, plan));

  bool lines525 = request.lines == 525 ||
                  (request.lines == 0 && upperRows >= Lines525MinRows && upperRows <= Lines525MaxRows);
  plan.flags = (request.fast ? OpFlagFast : 0u) | (lines525 ? OpFlag525 : 0u);

  plan.output = f;
  plan.output.interlace = plan.layout == Layout::Interlaced && plan.onlyIndex < 0
                              ? (plan.topFieldFirst ? Interlace::TopFirst : Interlace::BottomFirst)
                              : Interlace::Progressive;
  if (plan.onlyIndex >= 0) {
    bool firstOfFrame = plan.onlyIndex % 2 == 0;
    FieldParity parity = firstOfFrame == plan.topFieldFirst ? FieldParity::Upper : FieldParity::Lower;
    plan.output.height = fieldRows(f.height, parity);
  }
  return Status();
}

Status renderClips(const Plugin& plugin, const RenderPlan& plan, Clip& from, Clip* to,
                   FrameSink& sink, const ProgressFunction& progress) {
  Clip* clips[2] = {&from, to};
  int streams = to ? 2 : 1;
  Picture frames[2], out, field;
  for (long skip = 0; skip < plan.firstPicture; ++skip)
    for (int s = 0; s < streams; ++s) VX_TRY(readFrame(*clips[s], frames[s], skip));

  FieldRenderer renderer(plugin, plan);
  const Picture* inputs[2] = {&frames[0], &frames[1]};
  FieldParity first = plan.topFieldFirst ? FieldParity::Upper : FieldParity::Lower;
  for (long p = 0; p < plan.pictures; ++p) {
    long number = plan.firstPicture + p;
    for (int s = 0; s < streams; ++s) VX_TRY(readFrame(*clips[s], frames[s], number));
    switch (plan.layout) {
      case Layout::Fields:
        VX_TRY(renderer.render((uint32_t)number, plan.parity, inputs, out));
        break;
      case Layout::Progressive:
        out.resize(frames[0].width, frames[0].height);
        for (FieldParity parity : {FieldParity::Upper, FieldParity::Lower}) {
          VX_TRY(renderer.renderFrom((uint32_t)number, parity, inputs, streams, field));
          insertField(out, parity, field);
        }
        break;
      case Layout::Interlaced:
      case Layout::Auto:
        out.resize(frames[0].width, frames[0].height);
        for (int k = 0; k < 2; ++k) {
          uint32_t index = (uint32_t)(2 * number + k);
          FieldParity parity = k == 0 ? first : other(first);
          if (plan.onlyIndex >= 0 && index != (uint32_t)plan.onlyIndex) continue;
          VX_TRY(renderer.renderFrom(index, parity, inputs, streams, field));
          if (plan.onlyIndex >= 0) out = field;
          else insertField(out, parity, field);
        }
        break;
    }
    VX_TRY(sink.write(out));
    if (progress) progress(p + 1, plan.pictures);
  }
  return Status();
}

}  // namespace vxhost
