// The module loader: copies an a.out OMAGIC image's text and data into two
// fresh regions, relocates them, binds the references to undefined symbols to
// the shell's services, and finds the entry symbol. The image is read in
// place and never modified.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "shell/aout.h"

struct ModuleSymbol {
  const char* name;   // null when the name lies outside the string table
  uint8_t type;
  uint32_t value;     // an image address
};

// Where each part of an image lies. Built only from an image whose parts all
// lie inside its length; every read through it stays inside the image.
struct ModuleLayout {
  const uint8_t* image;
  size_t length;
  uint32_t textSize, dataSize;
  const uint8_t* text;
  const uint8_t* data;
  const uint8_t* textRelocations;
  const uint8_t* dataRelocations;
  const uint8_t* symbols;
  const uint8_t* strings;   // string table, from its size word
  uint32_t textRelocationCount, dataRelocationCount, symbolCount;
  size_t stringsLength;

  bool symbol(uint32_t index, ModuleSymbol* out) const;
};

enum class LoadResult {
  Loaded,
  BadMagic,          // header word 0 is not OMAGIC
  Truncated,         // the header's sizes reach past the image's end
  BadRelocation,     // a field outside its segment, or a kind with no rule
  NoEntry,           // no text symbol "_GetOperatorInfo" inside the text
  NoMemory,          // a region could not be allocated
};

// Reads the header and checks that every part the loader will touch lies
// inside the image.
LoadResult ReadLayout(const uint8_t* image, size_t length, ModuleLayout* layout);

typedef void* (*ModuleEntry)();

struct LoadedModule {
  void* textRegion;
  void* dataRegion;
  uint32_t textSize, dataSize;
  ModuleEntry entry;
};

// Loads the image. Anything short of Loaded leaves nothing allocated.
LoadResult LoadModule(const uint8_t* image, size_t length, LoadedModule* module);

// Gives the regions of a loaded module back to the system.
void UnloadModule(LoadedModule* module);
