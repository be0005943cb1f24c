// The command line as users meet it: exit statuses, one-line messages,
// and outputs that appear whole or not at all.
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "host/vxhost/commands.h"
#include "host/vxhost/ffmpeg.h"
#include "tests/vxhost_testsupport.h"

using namespace vxhost;

namespace {

struct Outcome {
  int status;
  std::string out, err;
};

Outcome vxhostRun(std::vector<std::string> arguments) {
  std::ostringstream out, err;
  Console console{out, err, false};
  int status = runCommandLine(arguments, console);
  return {status, out.str(), err.str()};
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (dirent* e = readdir(dir))
    if (e->d_name[0] != '.' || strlen(e->d_name) > 2) names.push_back(e->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// A one-line message that starts with "vxhost: ".
void expectOneLine(const Outcome& run) {
  EXPECT_EQ(run.err.rfind("vxhost: ", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

class vxhostCli : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vxhost-cli-XXXXXX";
    folder = mkdtemp(pattern);
    clip = folder + "/clip.y4m";
    writeFile(clip, vxtest::y4mBytes(vxtest::format(8, 6, "420jpeg", Interlace::TopFirst), 3));
    vxtest::loadFake(vxtest::fakeEffectPath())->resetParameters();
  }
  void TearDown() override {
    for (const std::string& name : filesIn(folder)) unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
  }
  std::vector<std::string> render(std::vector<std::string> extra) {
    std::vector<std::string> args = {"render", "fake_effect", "--plugin-path", vxtest::fakeFolder()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  std::string folder, clip;
};

TEST_F(vxhostCli, UsageErrorsExitWithTwo) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"list", "--fast"}, "vxhost list does not take --fast"},
      {{"render", "--bogus"}, "unknown option --bogus"},
      {{"info"}, "vxhost info needs a plug-in name"},
      {{"info", "tx_cube", "tx_cone"}, "vxhost info takes one plug-in name, not 'tx_cone' as well"},
      {render({"-o", "x.y4m"}), "vxhost render needs --from CLIP"},
      {render({"--from", "builtin:bars"}), "vxhost render needs -o OUTPUT"},
      {{"render", "nope", "--plugin-path", vxtest::fakeFolder(), "--from", "builtin:bars", "-o", "x.y4m"},
       "unknown plug-in 'nope'; known: fake_effect fake_transition"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--set", "spin=11"}), "spin=11 is not allowed"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--set", "speed=3"}), "fake_effect has no parameter 'speed'"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--layout", "diagonal"}), "--layout takes"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--count", "4"}), "--count and --index go together"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--count", "4", "--index", "4"}), "--index must be"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--size", "64"}), "--size takes"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--size", "40000x8"}), "--size takes"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--frames", "0"}), "--frames takes"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--lines", "405"}), "--lines takes 525 or 625"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--rate", "25fps"}), "--rate takes"},
      {render({"--from", "builtin:bars", "-o", "x.y4m", "--chroma", "411"}), "--chroma takes"},
      {render({"--from", "builtin:plasma", "-o", "x.y4m"}), "unknown built-in clip 'builtin:plasma'"},
      {render({"--from", "builtin:color=16,300,128", "-o", "x.y4m"}), "builtin:color takes Y,Cb,Cr"},
      {render({"--from", "builtin:bars", "--to", "builtin:bars", "-o", "x.y4m"}), "fake_effect is an effect"},
      {render({"--from", "builtin:bars", "-o", "x.png"}), "holds one picture"},
      {render({"--from", "builtin:bars", "-o", "/tmp"}), "the output /tmp is a folder"},
  };
  for (const Case& c : cases) {
    Outcome run = vxhostRun(c.arguments);
    EXPECT_EQ(run.status, ExitUsage) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    expectOneLine(run);
  }
}

TEST_F(vxhostCli, FailuresExitWithOneAndLeaveNoOutput) {
  std::string truncated = folder + "/truncated.y4m", out = folder + "/out.y4m";
  std::string bytes = readFile(clip);
  writeFile(truncated, bytes.substr(0, bytes.size() - 10));
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {render({"--from", folder + "/missing.y4m", "-o", out}), "missing.y4m: cannot open: No such file"},
      {render({"--from", truncated, "-o", out}), "truncated.y4m: frame 2 is truncated"},
      {render({"--from", clip, "--frames", "4", "-o", out}), "clip.y4m has only 3 frames"},
      {render({"--from", folder + "/clip.mp4", "-o", out, "--ffmpeg", "/nonexistent/ffmpeg"}), "cannot open"},
      {render({"--from", clip, "-o", folder + "/out.mp4", "--ffmpeg", "/nonexistent/ffmpeg"}),
       "writing " + folder + "/out.mp4, which is not a .y4m file, needs ffmpeg, and '/nonexistent/ffmpeg' is not installed"},
      {render({"--from", clip, "-o", out, "--set", "param1=4"}), "fake_effect failed at field 0 of 6: it returned -1"},
      {render({"--from", clip, "-o", folder + "/nofolder/out.y4m"}), "cannot write beside"},
  };
  for (const Case& c : cases) {
    Outcome run = vxhostRun(c.arguments);
    EXPECT_EQ(run.status, ExitFailure) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    expectOneLine(run);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"clip.y4m", "truncated.y4m"})) << c.message;
  }
}

TEST_F(vxhostCli, OtherFormatsNeedFfmpeg) {
  writeFile(folder + "/clip.mp4", "not really a video");
  Outcome run = vxhostRun(render({"--from", folder + "/clip.mp4", "-o", folder + "/o.y4m", "--ffmpeg", "/nonexistent/ffmpeg"}));
  EXPECT_EQ(run.status, ExitFailure);
  EXPECT_NE(run.err.find("which is not a YUV4MPEG2 file, needs ffmpeg"), std::string::npos) << run.err;
  expectOneLine(run);
}

TEST_F(vxhostCli, AFailedRenderLeavesAnExistingOutputAlone) {
  std::string out = folder + "/out.y4m";
  writeFile(out, "precious");
  Outcome run = vxhostRun(render({"--from", clip, "-o", out, "--set", "param1=1"}));
  EXPECT_EQ(run.status, ExitFailure);
  EXPECT_NE(run.err.find("gave back an image twice"), std::string::npos);
  EXPECT_EQ(readFile(out), "precious");
  EXPECT_EQ(filesIn(folder).size(), 2u);
}

TEST_F(vxhostCli, RefusesToWriteOverAnInput) {
  std::string link = folder + "/other-name.y4m";
  ASSERT_EQ(::link(clip.c_str(), link.c_str()), 0);
  std::string before = readFile(clip);
  for (const std::string& out : {clip, link}) {
    Outcome run = vxhostRun(render({"--from", clip, "-o", out}));
    EXPECT_EQ(run.status, ExitUsage);
    EXPECT_NE(run.err.find("refusing to write"), std::string::npos);
  }
  EXPECT_EQ(readFile(clip), before);
}

TEST_F(vxhostCli, RendersAFileWhole) {
  std::string out = folder + "/out.y4m";
  Outcome run = vxhostRun(render({"--from", clip, "-o", out, "--set", "direction=upleft"}));
  ASSERT_EQ(run.status, ExitOk) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "wrote " + out + ": 3 pictures\n");
  std::string bytes = readFile(out);
  EXPECT_EQ(bytes.substr(0, bytes.find('\n')), "YUV4MPEG2 W8 H6 F25:1 It A0:0 C420jpeg");
  EXPECT_EQ(bytes.size(), readFile(clip).size());
  EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"clip.y4m", "out.y4m"}));

  // Built-in clips take the file clip's size, and --chroma the output's layout.
  Outcome transition = vxhostRun({"render", "fake_transition", "--plugin-path", vxtest::fakeFolder(), "--from",
                              clip, "--to", "builtin:checker", "--chroma", "444", "-o", out});
  ASSERT_EQ(transition.status, ExitOk) << transition.err;
  bytes = readFile(out);
  EXPECT_EQ(bytes.substr(0, bytes.find('\n')), "YUV4MPEG2 W8 H6 F25:1 It A0:0 C444");
}

TEST_F(vxhostCli, ListAndInfo) {
  Outcome list = vxhostRun({"list", "--plugin-path", vxtest::fakeFolder()});
  ASSERT_EQ(list.status, ExitOk);
  EXPECT_NE(list.out.find("fake_effect  effect  param1 0..8 (default 0), direction 0..3 or upright downright "
                          "downleft upleft (default 0), spin 0..10 (default 2)\n"),
            std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("fake_transition  transition  "), std::string::npos);

  Outcome json = vxhostRun({"info", "fake_transition", "--json", "--plugin-path", vxtest::fakeFolder()});
  ASSERT_EQ(json.status, ExitOk);
  EXPECT_EQ(json.out.find("{\"name\":\"fake_transition\","), 0u);
  for (const char* part :
       {"\"kind\":\"transition\"", "\"version\":\"fake plug-in 1\"", "{\"tag\":\"OPE13\",\"value\":2,\"address\":false}",
        "{\"name\":\"spin\",\"tag\":\"OPE6\",\"descriptorKind\":2,\"label\":12,\"secondText\":14,\"minimum\":0,"
        "\"maximum\":10,\"default\":2}",
        "{\"name\":\"direction\",\"tag\":\"OPE5\",\"descriptorKind\":0,\"label\":85,\"style\":1,\"options\":[2,4,6,8],"
        "\"default\":0}"})
    EXPECT_NE(json.out.find(part), std::string::npos) << part;

  Outcome text = vxhostRun({"info", "fake_effect", "--plugin-path", vxtest::fakeFolder()});
  ASSERT_EQ(text.status, ExitOk);
  EXPECT_NE(text.out.find("spin (OPE6): range, label 0xC, second text 0xE, range 0..10, default 2"), std::string::npos)
      << text.out;

  Outcome empty = vxhostRun({"list", "--plugin-path", folder});
  EXPECT_EQ(empty.status, ExitOk);
  EXPECT_EQ(empty.out, "no plug-ins in " + folder + "\n");
}

TEST_F(vxhostCli, DemoWritesAReelOfEveryPlugin) {
  Outcome run = vxhostRun({"demo", "-o", folder + "/reel", "--plugin-path", vxtest::fakeFolder(), "--size", "16x8",
                           "--rate", "5", "--ffmpeg", "/nonexistent/ffmpeg"});
  ASSERT_EQ(run.status, ExitOk) << run.err;
  EXPECT_NE(run.out.find("2 plug-ins, 5 frames each (fake_effect fake_transition)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("ffmpeg is not installed"), std::string::npos);
  std::string reel = readFile(folder + "/reel/demo.y4m");
  std::string header = "YUV4MPEG2 W16 H8 F5:1 It A0:0 C420mpeg2\n";
  EXPECT_EQ(reel.substr(0, header.size()), header);
  EXPECT_EQ(reel.size(), header.size() + 10 * (6 + 16 * 8 * 3 / 2));
  EXPECT_EQ(filesIn(folder + "/reel"), (std::vector<std::string>{"demo.y4m"}));
  unlink((folder + "/reel/demo.y4m").c_str());
  rmdir((folder + "/reel").c_str());
}

TEST_F(vxhostCli, BenchTimesEachPlugin) {
  Outcome run = vxhostRun({"bench", "--plugin-path", vxtest::fakeFolder(), "--size", "16x8", "--fields", "2",
                           "--runs", "1", "--quality", "1"});
  ASSERT_EQ(run.status, ExitOk) << run.err;
  EXPECT_EQ(run.out.find("fields of 16x4, 2 fields a run, median of 1 runs, quality 1\n"), 0u) << run.out;
  EXPECT_NE(run.out.find("\nfake_effect "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nfake_transition "), std::string::npos) << run.out;

  Outcome unknown = vxhostRun({"bench", "nope", "--plugin-path", vxtest::fakeFolder()});
  EXPECT_EQ(unknown.status, ExitUsage);
  expectOneLine(unknown);
}

// Other formats through ffmpeg, where it is installed.
TEST_F(vxhostCli, OtherFormatsGoThroughFfmpeg) {
  std::string found;
  if (!findProgram("ffmpeg", found)) GTEST_SKIP() << "ffmpeg is not installed";
  std::string video = folder + "/clip.mkv", picture = folder + "/middle.png", back = folder + "/back.y4m";
  Outcome write = vxhostRun(render({"--from", clip, "-o", video}));
  ASSERT_EQ(write.status, ExitOk) << write.err;
  Outcome read = vxhostRun(render({"--from", video, "-o", back}));
  ASSERT_EQ(read.status, ExitOk) << read.err;
  EXPECT_EQ(read.out, "wrote " + back + ": 3 pictures\n");
  std::string bytes = readFile(back);
  EXPECT_EQ(bytes.substr(0, bytes.find(' ', 20)), "YUV4MPEG2 W8 H6 F25:1");
  Outcome still = vxhostRun(render({"--from", video, "--count", "6", "--index", "2", "-o", picture}));
  ASSERT_EQ(still.status, ExitOk) << still.err;
  EXPECT_EQ(readFile(picture).substr(1, 3), "PNG");
  writeFile(folder + "/broken.mkv", "not a video at all");
  Outcome broken = vxhostRun(render({"--from", folder + "/broken.mkv", "-o", back}));
  EXPECT_EQ(broken.status, ExitFailure);
  EXPECT_NE(broken.err.find("broken.mkv: ffmpeg failed"), std::string::npos) << broken.err;
  expectOneLine(broken);
}

#ifdef VXHOST_EXE
// The program itself, as a shell runs it: its exit status, with standard
// output dropped and standard error kept in err.txt.
int runProgram(const std::string& folder, const std::string& arguments) {
  std::string command = std::string(VXHOST_EXE) + " " + arguments + " >/dev/null 2>" + folder + "/err.txt";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(vxhostCli, TheProgramReportsInOneLine) {
  std::string fake = "render fake_effect --plugin-path " + vxtest::fakeFolder() + " --from " + clip;
  EXPECT_EQ(runProgram(folder, fake + " --set spin=99 -o " + folder + "/o.y4m"), ExitUsage);
  EXPECT_EQ(readFile(folder + "/err.txt"), "vxhost: spin=99 is not allowed; spin takes 0..10\n");
  EXPECT_EQ(runProgram(folder, fake + " -o " + folder + "/o.y4m"), ExitOk);
  EXPECT_EQ(readFile(folder + "/o.y4m").size(), readFile(clip).size());
}

// A plug-in that crashes takes no output with it and is named in one line.
TEST_F(vxhostCli, TheProgramReportsAPluginThatCrashes) {
  std::string fake = "render fake_effect --plugin-path " + vxtest::fakeFolder() + " --from " + clip;
  EXPECT_EQ(runProgram(folder, fake + " --set param1=8 -o " + folder + "/crash.y4m"), ExitFailure);
  EXPECT_EQ(readFile(folder + "/err.txt"), "vxhost: fake_effect crashed at field 0 of 6 (a fault in the plug-in)\n");
  EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"clip.y4m", "err.txt"}));
}
#endif

}  // namespace
