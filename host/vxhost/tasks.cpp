#include "host/vxhost/tasks.h"

namespace vxhost {

namespace {

// Built-in clips follow a file clip's size, rate and field order unless the
// command line says otherwise; with no file clip, the layout decides whether
// they are interlaced.
ClipSettings builtinSettings(const RenderJob& job, const Clip* reference) {
  ClipSettings s = job.clip;
  Interlace order = reference ? reference->format().interlace : Interlace::Progressive;
  if (reference) {
    if (!job.sizeGiven) {
      s.width = reference->format().width;
      s.height = reference->format().height;
    }
    if (!job.rateGiven) s.rate = reference->format().rate;
  }
  switch (job.request.layout) {
    case Layout::Interlaced:
      s.interlace = order == Interlace::BottomFirst ? order : Interlace::TopFirst;
      break;
    case Layout::Auto: s.interlace = order; break;
    default: s.interlace = Interlace::Progressive; break;
  }
  return s;
}

}  // namespace

Status renderJob(const RenderJob& job, const ProgressFunction& progress) {
  std::vector<std::string> files;
  for (const std::string* clip : {&job.from, &job.to})
    if (!clip->empty() && !isBuiltinClip(*clip)) files.push_back(*clip);
  VX_TRY(checkOutputPath(job.output, files));

  std::unique_ptr<Clip> from, to;
  const Clip* reference = nullptr;
  if (!isBuiltinClip(job.from)) {
    VX_TRY(openClip(job.from, job.clip, from));
    reference = from.get();
  }
  if (!job.to.empty() && !isBuiltinClip(job.to)) {
    VX_TRY(openClip(job.to, job.clip, to));
    if (!reference) reference = to.get();
  }
  ClipSettings builtins = builtinSettings(job, reference);
  if (!from) VX_TRY(openClip(job.from, builtins, from));
  if (!job.to.empty() && !to) VX_TRY(openClip(job.to, builtins, to));

  RenderPlan plan;
  VX_TRY(planRender(*job.plugin, job.request, *from, to.get(), plan));
  if (job.chroma) plan.output.chroma = job.chroma;
  applyParameters(*job.plugin, job.request.parameters);

  std::unique_ptr<VideoFileOutput> output;
  VX_TRY(VideoFileOutput::open(job.output, plan.output, plan.pictures, job.clip.ffmpeg, output));
  VX_TRY(renderClips(*job.plugin, plan, *from, to.get(), *output, progress));
  return output->commit();
}

}  // namespace vxhost
