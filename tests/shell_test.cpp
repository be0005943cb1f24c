#include <dlfcn.h>
#include <gtest/gtest.h>

#include "tests/plugintest.h"

namespace {

VxAddress actionAddress(const Plugin& p) { return reinterpret_cast<VxAddress>(p.operatorAction); }

TEST(ShellTest, ActionBeforeTheDescriptionReturnsMinusOne) {
  Plugin p(testModulePath("vxtest_tagsmodule"));
  OpRequest request = renderRequest(0, 1);
  EXPECT_EQ(p.operatorAction(&request), -1);
}

TEST(ShellTest, DescriptionIsLoadedOnceAndTheActionRedirected) {
  Plugin p(testModulePath("vxtest_tagsmodule"));
  OpTag* first = p.getOperatorInfo();
  ASSERT_NE(first, nullptr);
  OpTag* second = p.getOperatorInfo();
  EXPECT_EQ(first, second);
  VxAddress action = 0;
  ASSERT_TRUE(Plugin::find(second, OPE3, &action));
  EXPECT_EQ(action, actionAddress(p));

  OpRequest request = renderRequest(0, 1);
  request.code = 4;
  EXPECT_EQ(p.operatorAction(&request), 104);
}

TEST(ShellTest, OtherTagsPassThroughUntouched) {
  Plugin p(testModulePath("vxtest_tagsmodule"));
  OpTag* list = p.getOperatorInfo();
  ASSERT_NE(list, nullptr);
  struct { uint32_t tag; VxAddress value; } untouched[] = {
      {OPE4, 0x44}, {OPE5, 0x55}, {OPE6, 0x66}, {OPE7, 0x77}, {opTag(8), 0x88},
      {opTag(12), 0x1212}, {opTag(15), 0x1515}, {0x12345678, 0x9999}};
  for (auto t : untouched) {
    VxAddress value = 0;
    ASSERT_TRUE(Plugin::find(list, t.tag, &value)) << std::hex << t.tag;
    EXPECT_EQ(value, t.value) << std::hex << t.tag;
  }
  EXPECT_EQ(list[12].tag, OPE16);   // the second OPE16 keeps its value too
  EXPECT_EQ(list[12].value, 0x1616u);
  EXPECT_EQ(Plugin::pairCount(list), 14);
}

TEST(ShellTest, ActionIsATailJumpThatKeepsTheCallersStack) {
  Plugin p(testModulePath("vxtest_tagsmodule"));
  ASSERT_NE(p.getOperatorInfo(), nullptr);
  auto twoArguments = reinterpret_cast<int (*)(const OpRequest*, int)>(
      reinterpret_cast<void*>(p.operatorAction));
  OpRequest request = renderRequest(0, 1);
  request.code = 8;
  EXPECT_EQ(twoArguments(&request, 0x5A5A), 0x5A5A);
}

TEST(ShellTest, MathServiceReturnsItsDoubleThroughTheBinding) {
  Plugin p(testModulePath("vxtest_tagsmodule"));
  ASSERT_NE(p.getOperatorInfo(), nullptr);
  OpRequest request = renderRequest(0, 1);
  request.code = 9;
  EXPECT_EQ(p.operatorAction(&request), 1570796);   // atan2(1, 0) = pi/2
}

TEST(ShellTest, ListWithoutAnActionLeavesTheActionUnavailable) {
  for (const char* module : {"vxtest_noaction", "vxtest_emptylist"}) {
    Plugin p(testModulePath(module));
    OpTag* list = p.getOperatorInfo();
    ASSERT_NE(list, nullptr) << module;
    OpRequest request = renderRequest(0, 1);
    EXPECT_EQ(p.operatorAction(&request), -1) << module;
  }
  Plugin empty(testModulePath("vxtest_emptylist"));
  OpTag* list = empty.getOperatorInfo();
  EXPECT_EQ(list[0].tag, 0u);
  VxAddress* words = reinterpret_cast<VxAddress*>(list);
  EXPECT_EQ(words[1], (VxAddress)OPE3);   // the pair after the terminator is not redirected
  EXPECT_NE(words[2], actionAddress(empty));
}

TEST(ShellTest, NullListIsAskedForOnceMore) {
  Plugin p(testModulePath("vxtest_nullfirst"));
  OpTag* list = p.getOperatorInfo();
  ASSERT_NE(list, nullptr);
  // The list came from the second call, unwalked: the action is the module's own.
  OpRequest request = renderRequest(0, 1);
  EXPECT_EQ(p.operatorAction(&request), -1);
  EXPECT_NE(list[1].value, actionAddress(p));
}

TEST(ShellTest, HandMadeImageLoadsAndRuns) {
  Plugin p(testModulePath("vxtest_handmade"));
  OpTag* list = p.getOperatorInfo();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Plugin::pairCount(list), 2);
  EXPECT_EQ(list[1].value, actionAddress(p));
  OpRequest request = renderRequest(0, 1);
  EXPECT_EQ(p.operatorAction(&request), 42);
}

TEST(ShellTest, UnloadingThePluginGivesTheModulesMemoryBack) {
  const void* list;
  {
    Plugin p(testModulePath("vxtest_tagsmodule"));
    list = p.getOperatorInfo();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(protectionOf(list).substr(0, 3), "rw-");
  }
  // The pages are gone; the address range stays reserved.
  EXPECT_EQ(protectionOf(list).substr(0, 3), "---");
}

TEST(ShellTest, PluginExportsOnlyTheTwoEntryPoints) {
  std::string command = "nm -D --defined-only " + pluginPath("fx_ripple1") + " | awk '{print $3}' | sort";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string names;
  char line[256];
  while (fgets(line, sizeof line, pipe)) names += line;
  pclose(pipe);
  EXPECT_EQ(names, "GetOperatorInfo\nOperatorAction\n");
}

}  // namespace
