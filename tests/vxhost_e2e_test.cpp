// End-to-end renders: the real plug-ins run through vxhost on small built-in
// clips, and each output's checksum is compared with the stored one: a net
// that catches any change in what a plug-in, the host or the clips produce.
//
// One line per plug-in render. A plug-in that is not built yet is passed
// over; a built plug-in without a line is reported with the line to add.
// To regenerate after a deliberate change (never to silence a failure):
//   VXHOST_REGENERATE=1 build-host/tests/vxhost_e2e_test
// prints every line with its current checksum; paste the ones that changed.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "host/vxhost/commands.h"

namespace {

struct Line {
  const char* plugin;
  const char* arguments;   // after --from/--to and the common ones below
  uint64_t checksum;       // FNV-1a of the whole output file
};

// 64x48 interlaced, two frames: four fields of 64x24.
const char CommonArguments[] = "--size 64x48 --layout interlaced --frames 2";
const char EffectClips[] = "--from builtin:zoneplate";
const char TransitionClips[] = "--from builtin:bars --to builtin:checker";

const Line Lines[] = {
    {"tx_saucer", "", 0x59ce5b5effb04339ull},
    {"tx_cube", "", 0x3d82843cbad87233ull},
    {"tx_sphere", "", 0x704af191a2940a7aull},
    {"tx_ellipsoid", "", 0x1cc54b82886ce550ull},
    {"tx_cone", "", 0xb10fae93780a720cull},
    {"tx_diamond", "", 0xdd8a447c47c709deull},
    {"tx_cylinder", "", 0xa43264489355781aull},
    {"tx_spherex4", "", 0xc6abe639ccf08dfdull},
    {"tx_pyramid", "", 0xb2a56b9a3c45df5bull},
    {"tx_recttube", "", 0x82b9db86a79551acull},
    {"fx_ripple1", "", 0x7b8ccc0f0d1d21b3ull},
    {"fx_drop1", "", 0x306a9c93a397c5c5ull},
    {"tx_ripple2", "", 0xb987673d3cf41223ull},
    {"tx_drop2", "", 0x7b2df8b0a30bcc07ull},
    {"tx_cube", "--set direction=downleft --set spin=7 --set quality=2", 0x278eb57a697346b6ull},
    {"tx_sphere", "--fast --set direction=upleft", 0x192230d3b0f81fd8ull},
    {"tx_spherex4", "--lines 525 --set spin=0 --set quality=1", 0xc38451920a91e380ull},
    {"fx_ripple1", "--set direction=upleft --set speed=9 --set waveSize=2 --set waveHeight=0", 0x0baca6dd520425ecull},
    {"fx_drop1", "--layout progressive --set waveSize=0 --set waveHeight=2", 0x6e35ff8fcf44601full},
    {"tx_drop2", "--layout fields --parity lower", 0x2e058c9b8cb3d5daull},
};

uint64_t fnv1a(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

std::string pluginFile(const std::string& name) { return std::string(VX_PLUGIN_DIR) + "/" + name + ".so"; }
bool built(const std::string& name) { return access(pluginFile(name).c_str(), R_OK) == 0; }
bool regenerating() { return getenv("VXHOST_REGENERATE") != nullptr; }

std::vector<std::string> split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Renders one line in-process and returns the output's checksum.
uint64_t renderLine(const Line& line, std::string& error) {
  // One name per process: ctest may run this file's tests side by side.
  std::string out = std::string(VX_TEST_BINARY_DIR) + "/vxhost_e2e_" + line.plugin + "_" +
                    std::to_string(getpid()) + ".y4m";
  bool effect = std::string(line.plugin).compare(0, 3, "fx_") == 0;
  std::vector<std::string> args = {"render", line.plugin, "-o", out};
  for (const char* part : {effect ? EffectClips : TransitionClips, CommonArguments, line.arguments})
    for (const std::string& w : split(part)) args.push_back(w);
  std::ostringstream stdoutText, stderrText;
  vxhost::Console console{stdoutText, stderrText, false};
  int status = vxhost::runCommandLine(args, console);
  error = stderrText.str();
  if (status != 0) return 0;
  std::ifstream in(out, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  unlink(out.c_str());
  return fnv1a(bytes);
}

TEST(vxhostEndToEnd, EveryBuiltPluginMatchesItsChecksum) {
  int rendered = 0;
  for (const Line& line : Lines) {
    if (!built(line.plugin)) continue;
    std::string error;
    uint64_t checksum = renderLine(line, error);
    ASSERT_EQ(error, "") << line.plugin << " " << line.arguments;
    if (regenerating()) {
      printf("    {\"%s\", \"%s\", 0x%016llxull},\n", line.plugin, line.arguments, (unsigned long long)checksum);
      continue;
    }
    EXPECT_EQ(checksum, line.checksum) << line.plugin << " " << line.arguments << ": now 0x" << std::hex
                                       << checksum;
    ++rendered;
  }
  if (rendered == 0 && !regenerating()) GTEST_SKIP() << "no plug-in with a stored checksum is built";
}

// Renders are repeatable: the same line twice gives the same bytes, so the
// stored checksums mean something.
TEST(vxhostEndToEnd, RendersAreRepeatable) {
  for (const Line& line : Lines) {
    if (!built(line.plugin)) continue;
    std::string error;
    uint64_t first = renderLine(line, error), second = renderLine(line, error);
    EXPECT_EQ(first, second) << line.plugin;
    return;
  }
  GTEST_SKIP() << "no plug-in is built";
}

TEST(vxhostEndToEnd, EveryBuiltPluginHasALine) {
  std::vector<std::string> missing;
  DIR* dir = opendir(VX_PLUGIN_DIR);
  if (!dir) GTEST_SKIP() << "no plug-in folder";
  while (dirent* e = readdir(dir)) {
    std::string file = e->d_name;
    if (file.size() < 4 || file.compare(file.size() - 3, 3, ".so") != 0) continue;
    std::string name = file.substr(0, file.size() - 3);
    bool listed = false;
    for (const Line& line : Lines) listed = listed || name == line.plugin;
    if (!listed) missing.push_back(name);
  }
  closedir(dir);
  for (const std::string& name : missing) {
    Line line = {name.c_str(), "", 0};
    std::string error;
    uint64_t checksum = renderLine(line, error);
    EXPECT_EQ(error, "") << name;
    printf("add to Lines:    {\"%s\", \"\", 0x%016llxull},\n", name.c_str(), (unsigned long long)checksum);
  }
  if (!missing.empty()) GTEST_SKIP() << missing.size() << " built plug-in(s) have no line yet (see above)";
}

}  // namespace
