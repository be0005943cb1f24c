// vxhost demo: every plug-in for one second over built-in clips, one after
// another in one interlaced reel, with a contact sheet of one frame of each.
#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include "host/vxhost/progress.h"
#include "host/vxhost/tasks.h"

namespace vxhost {

namespace {

const char EffectClip[] = "builtin:checker";
const char TransitionFromClip[] = "builtin:bars";
const char TransitionToClip[] = "builtin:checker";
constexpr int SheetColumns = 4;
// The contact sheet shows each effect a third of the way in, where the
// transitions' shapes are still large.
constexpr long SheetPoint = 3;

// Passes frames on to the reel and keeps the one for the contact sheet.
class ReelSink : public FrameSink {
 public:
  ReelSink(FrameSink& reel, long kept, Picture& picture) : reel_(reel), keptFrame_(kept), kept_(picture) {}
  Status write(const Picture& frame) override {
    if (written_++ == keptFrame_) kept_ = frame;
    return reel_.write(frame);
  }

 private:
  FrameSink& reel_;
  long keptFrame_;
  Picture& kept_;
  long written_ = 0;
};

Status loadAll(const Options& o, Console& console, std::vector<std::shared_ptr<Plugin>>& plugins) {
  for (const std::string& file : scanPlugins(o.pluginPath)) {
    std::shared_ptr<Plugin> plugin;
    Status status = Plugin::load(file, plugin);
    if (status.ok()) plugins.push_back(plugin);
    else console.err << "vxhost: skipping " << status.message() << "\n";
  }
  if (plugins.empty()) return Status::failure("no plug-ins found; build them first or give --plugin-path");
  return Status();
}

Status renderOne(const Plugin& plugin, const ClipSettings& clips, long frames, FrameSink& reel,
                 Picture& sheetPicture, const ProgressFunction& progress) {
  bool effect = plugin.kind() == OperatorKind::Effect;
  std::unique_ptr<Clip> from, to;
  VX_TRY(openClip(effect ? EffectClip : TransitionFromClip, clips, from));
  if (!effect) VX_TRY(openClip(TransitionToClip, clips, to));
  RenderRequest request;
  request.layout = Layout::Interlaced;
  request.frames = frames;
  RenderPlan plan;
  VX_TRY(planRender(plugin, request, *from, to.get(), plan));
  plugin.resetParameters();
  ReelSink sink(reel, frames / SheetPoint, sheetPicture);
  return renderClips(plugin, plan, *from, to.get(), sink, progress);
}

// Runs ffmpeg on a finished file into a new one, put in place on success.
Status convert(const std::string& ffmpeg, const std::vector<std::string>& arguments,
               const std::string& target) {
  TemporaryFile file;
  VX_TRY(file.create(target));
  std::vector<std::string> all = {"-hide_banner", "-nostdin", "-v", "error", "-y"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  all.push_back(file.path());
  ChildProcess child;
  VX_TRY(child.start(ffmpeg, all, ChildProcess::Pipe::FromChild).within(target));
  VX_TRY(child.wait().within(target));
  return file.commit();
}

Status writeSheet(const std::string& ffmpeg, const std::vector<Picture>& sheetPictures,
                  const VideoFormat& reel, const std::string& target) {
  TemporaryFile pictures;
  VX_TRY(pictures.create(target + ".y4m"));
  VideoFormat format = reel;
  format.interlace = Interlace::Progressive;
  format.chroma = &chroma444();
  {
    FdSink sink(pictures.releaseFd(), pictures.path(), true);
    Y4mWriter writer(sink, format);
    for (const Picture& p : sheetPictures) VX_TRY(writer.writeFrame(p));
    VX_TRY(sink.close());
  }
  int rows = ((int)sheetPictures.size() + SheetColumns - 1) / SheetColumns;
  std::string tile = "scale=iw/2:-2,tile=" + std::to_string(SheetColumns) + "x" + std::to_string(rows);
  return convert(ffmpeg, {"-i", pictures.path(), "-vf", tile, "-frames:v", "1", "-update", "1"}, target);
}

}  // namespace

Status runDemo(const Options& o, Console& console) {
  if (!o.positional.empty()) return Status::usage("vxhost demo takes no " + o.positional[0] + " (use -o DIR)");
  std::string folder = o.output.empty() ? "." : o.output;
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
    return Status::failure("cannot make the folder " + folder + ": " + strerror(errno));
  std::vector<std::shared_ptr<Plugin>> plugins;
  VX_TRY(loadAll(o, console, plugins));

  ClipSettings clips = o.clip;
  clips.interlace = Interlace::TopFirst;
  VideoFormat reel;
  reel.width = clips.width;
  reel.height = clips.height;
  reel.rate = clips.rate;
  reel.interlace = Interlace::TopFirst;
  reel.chroma = findChroma("420mpeg2");
  long frames = std::max(1L, (long)((clips.rate.num + clips.rate.den / 2) / clips.rate.den));
  long total = frames * (long)plugins.size();

  std::string reelPath = folder + "/demo.y4m";
  std::unique_ptr<VideoFileOutput> output;
  VX_TRY(VideoFileOutput::open(reelPath, reel, total, o.ffmpeg, output));
  std::vector<Picture> sheetPictures(plugins.size());
  ProgressBar bar(console.err, console.errIsTerminal && !o.quiet, "demo");
  std::string names;
  for (size_t i = 0; i < plugins.size(); ++i) {
    long before = frames * (long)i;
    VX_TRY(renderOne(*plugins[i], clips, frames, *output, sheetPictures[i],
                     [&](long done, long) { bar.update(before + done, total); }));
    names += (names.empty() ? "" : " ") + plugins[i]->name();
  }
  VX_TRY(output->commit());
  bar.finish();
  console.out << "wrote " << reelPath << ": " << plugins.size() << " plug-ins, " << frames
              << " frames each (" << names << ")\n";

  std::string found;
  if (!findProgram(o.ffmpeg, found)) {
    console.out << "ffmpeg is not installed: no demo.mp4 or demo-sheet.png\n";
    return Status();
  }
  VX_TRY(convert(o.ffmpeg, {"-i", reelPath, "-pix_fmt", "yuv420p"}, folder + "/demo.mp4"));
  VX_TRY(writeSheet(o.ffmpeg, sheetPictures, reel, folder + "/demo-sheet.png"));
  console.out << "wrote " << folder << "/demo.mp4 and " << folder
              << "/demo-sheet.png (left to right, top to bottom: " << names << ")\n";
  return Status();
}

}  // namespace vxhost
