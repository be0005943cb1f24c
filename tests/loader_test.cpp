#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <string>

#include "shell/loader.h"
#include "shell/services.h"
#include "tests/imagebuilder.h"
#include "tests/plugintest.h"

using namespace aout;

namespace {

struct Loaded {
  LoadResult result;
  LoadedModule module = {};
  explicit Loaded(const ImageBuilder& b) : image(b.build()) {
    result = LoadModule(image.data(), image.size(), &module);
  }
  ~Loaded() { UnloadModule(&module); }
  uint32_t textWord(uint32_t at) const { return word(module.textRegion, at); }
  uint32_t dataWord(uint32_t at) const { return word(module.dataRegion, at); }
  uint32_t text() const { return (uint32_t)(uintptr_t)module.textRegion; }
  uint32_t data() const { return (uint32_t)(uintptr_t)module.dataRegion; }

 private:
  static uint32_t word(void* region, uint32_t at) {
    uint32_t w;
    memcpy(&w, static_cast<uint8_t*>(region) + at, 4);
    return w;
  }
  std::vector<uint8_t> image;
};

uint32_t address(Service s) { return (uint32_t)(uintptr_t)s; }

TEST(LoaderTest, EntryRunsAndSeesItsRelocatedData) {
  ImageBuilder b = ImageBuilder::returning(0x200 + 0x40);   // image address of data + 0x40
  b.textRelocations.push_back({1, relocationWord(SegmentData, false, false)});
  Loaded l(b);
  ASSERT_EQ(l.result, LoadResult::Loaded);
  EXPECT_EQ((uint32_t)(uintptr_t)l.module.entry(), l.data() + 0x40);
}

TEST(LoaderTest, TextRelocationsFollowTheirRule) {
  ImageBuilder b = ImageBuilder::returning(0);
  uint32_t T = (uint32_t)b.text.size();
  b.symbols.push_back({"_malloc", SymbolUndefined, 0});        // index 1
  b.symbols.push_back({"_opGetField", SymbolUndefined, 0});    // index 2
  struct Case {
    uint32_t at, stored, info;
  } cases[] = {
      {0x10, 0x120, relocationWord(SegmentText, false, false)},
      {0x14, T + 0x40, relocationWord(SegmentData, false, false)},
      {0x18, 0x33, relocationWord(SegmentText, true, false)},
      {0x1C, T + 0x20 - 0x20, relocationWord(SegmentData, true, false)},
      {0x20, 0xDEADBEEF, relocationWord(1, false, true)},
      {0x24, 0xDEADBEEF, relocationWord(2, true, true)},
      {0x28, 0x1111, relocationWord(SegmentText, false, false, 0)},
      {0x2C, 0x2222, relocationWord(SegmentText, false, false, 1)},
      {0x30, 0x3333, relocationWord(SegmentText, false, false, 3)},
  };
  for (const Case& c : cases) {
    b.putTextWord(c.at, c.stored);
    b.textRelocations.push_back({c.at, c.info});
  }
  Loaded l(b);
  ASSERT_EQ(l.result, LoadResult::Loaded);
  EXPECT_EQ(l.textWord(0x10), l.text() + 0x120);
  EXPECT_EQ(l.textWord(0x14), l.data() + 0x40);
  EXPECT_EQ(l.textWord(0x18), 0x33u);
  EXPECT_EQ(l.textWord(0x1C), T + l.data() - T - l.text());
  EXPECT_EQ(l.textWord(0x20), address(serviceNamed("_malloc")));
  EXPECT_EQ(l.textWord(0x24), address(serviceNamed("_opGetField")) - (l.text() + 0x24 + 4));
  EXPECT_EQ(l.textWord(0x28), 0x1111u);
  EXPECT_EQ(l.textWord(0x2C), 0x2222u);
  EXPECT_EQ(l.textWord(0x30), 0x3333u);
}

TEST(LoaderTest, DataRelocationsNameTextOrData) {
  ImageBuilder b = ImageBuilder::returning(0);
  uint32_t T = (uint32_t)b.text.size();
  b.putDataWord(0x8, T + 0x10);
  b.putDataWord(0xC, 0x30);
  b.putDataWord(0x10, 0x4444);
  b.dataRelocations.push_back({0x8, relocationWord(SegmentData, false, false)});
  b.dataRelocations.push_back({0xC, relocationWord(SegmentText, false, false)});
  b.dataRelocations.push_back({0x10, relocationWord(SegmentText, false, false, 1)});
  Loaded l(b);
  ASSERT_EQ(l.result, LoadResult::Loaded);
  EXPECT_EQ(l.dataWord(0x8), l.data() + 0x10);
  EXPECT_EQ(l.dataWord(0xC), l.text() + 0x30);
  EXPECT_EQ(l.dataWord(0x10), 0x4444u);
}

TEST(LoaderTest, UnknownAndDefinedSymbolsBindToTheNullService) {
  ImageBuilder b = ImageBuilder::returning(0);
  b.symbols.push_back({"_loggerMessageString", SymbolUndefined, 0});   // 1
  b.symbols.push_back({"_somethingElse", SymbolUndefined, 0});         // 2
  uint32_t null = address(reinterpret_cast<Service>(&nullService));
  struct { uint32_t at, index; } cases[] = {{0x10, 0}, {0x14, 1}, {0x18, 2}, {0x1C, 99}};
  for (auto c : cases) b.textRelocations.push_back({c.at, relocationWord(c.index, false, true)});
  Loaded l(b);
  ASSERT_EQ(l.result, LoadResult::Loaded);
  for (auto c : cases) EXPECT_EQ(l.textWord(c.at), null) << c.index;
  EXPECT_EQ(nullService(), 0);
}

TEST(LoaderTest, TrailingBytesOfTablesAreIgnored) {
  ImageBuilder b = ImageBuilder::returning(0x120);
  b.textRelocations.push_back({1, relocationWord(SegmentText, false, false)});
  b.extraSymbolBytes = 5;
  b.extraRelocationBytes = 3;
  Loaded l(b);
  ASSERT_EQ(l.result, LoadResult::Loaded);
  EXPECT_EQ((uint32_t)(uintptr_t)l.module.entry(), l.text() + 0x120);
}

TEST(LoaderTest, EntryIsTheLastTextSymbolOfThatName) {
  ImageBuilder b = ImageBuilder::returning(7);
  b.text[0x20] = 0xB8;   // a second entry returning 9
  b.putTextWord(0x21, 9);
  b.text[0x25] = 0xC3;
  b.symbols.push_back({EntrySymbol, SymbolText, 0x20});
  Loaded l(b);
  ASSERT_EQ(l.result, LoadResult::Loaded);
  EXPECT_EQ((uintptr_t)l.module.entry(), 9u);
}

TEST(LoaderTest, ImagesWithoutASoundLayoutAreRefused) {
  struct Case {
    const char* what;
    void (*spoil)(ImageBuilder&);
    LoadResult result;
  } cases[] = {
      {"wrong magic", [](ImageBuilder& b) { b.magic = 0x10B; }, LoadResult::BadMagic},
      {"magic with machine bits", [](ImageBuilder& b) { b.magic = 0x00640107; }, LoadResult::BadMagic},
      {"no entry", [](ImageBuilder& b) { b.symbols.clear(); }, LoadResult::NoEntry},
      {"entry of data type", [](ImageBuilder& b) { b.symbols[0].type = SymbolData; }, LoadResult::NoEntry},
      {"entry of local type", [](ImageBuilder& b) { b.symbols[0].type = SymbolLocalText; }, LoadResult::NoEntry},
      {"entry outside text", [](ImageBuilder& b) { b.symbols[0].value = 0x5000; }, LoadResult::NoEntry},
      {"text field past its segment",
       [](ImageBuilder& b) { b.textRelocations.push_back({0x1FE, relocationWord(SegmentText, false, false)}); },
       LoadResult::BadRelocation},
      {"negative field address",
       [](ImageBuilder& b) { b.textRelocations.push_back({0xFFFFFFFC, relocationWord(SegmentText, false, false)}); },
       LoadResult::BadRelocation},
      {"data field past its segment",
       [](ImageBuilder& b) { b.dataRelocations.push_back({0x100, relocationWord(SegmentData, false, false)}); },
       LoadResult::BadRelocation},
      {"local reference to segment 8",
       [](ImageBuilder& b) { b.textRelocations.push_back({0x10, relocationWord(8, false, false)}); },
       LoadResult::BadRelocation},
      {"external data relocation",
       [](ImageBuilder& b) { b.dataRelocations.push_back({0x10, relocationWord(0, false, true)}); },
       LoadResult::BadRelocation},
  };
  for (const Case& c : cases) {
    ImageBuilder b = ImageBuilder::returning(0);
    c.spoil(b);
    Loaded l(b);
    EXPECT_EQ(l.result, c.result) << c.what;
    EXPECT_EQ(l.module.textRegion, nullptr) << c.what;
    EXPECT_EQ(l.module.dataRegion, nullptr) << c.what;
  }
}

TEST(LoaderTest, SizesReachingPastTheEndAreRefused) {
  std::vector<uint8_t> image = ImageBuilder::returning(0).build();
  for (int word : {WordTextSize, WordDataSize, WordSymbolsSize, WordTextRelocationsSize,
                   WordDataRelocationsSize}) {
    for (uint32_t size : {0x10000u, 0xFFFFFFF0u}) {
      std::vector<uint8_t> spoilt = image;
      memcpy(spoilt.data() + 4 * word, &size, 4);
      LoadedModule m = {};
      EXPECT_EQ(LoadModule(spoilt.data(), spoilt.size(), &m), LoadResult::Truncated) << word;
      EXPECT_EQ(m.textRegion, nullptr);
    }
  }
  LoadedModule m = {};
  EXPECT_EQ(LoadModule(image.data(), 20, &m), LoadResult::Truncated);
}

TEST(LoaderTest, TextIsExecutableAndNotWritableAfterLoading) {
  Loaded l(ImageBuilder::returning(0));
  ASSERT_EQ(l.result, LoadResult::Loaded);
  EXPECT_EQ(protectionOf(l.module.textRegion).substr(0, 3), "r-x");
  EXPECT_EQ(protectionOf(l.module.dataRegion).substr(0, 3), "rw-");
}

TEST(LoaderTest, MathShimsKeepTheLibrarySemantics) {
  EXPECT_DOUBLE_EQ(shimAtan2(1.0, 0.0), atan(1.0) * 2);
  EXPECT_DOUBLE_EQ(shimAtan2(0.0, -1.0), atan(1.0) * 4);
  EXPECT_EQ(serviceNamed("_printf"), nullptr);
}

}  // namespace
