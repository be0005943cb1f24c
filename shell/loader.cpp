#include "shell/loader.h"

#include <string.h>

#include "shell/platform.h"
#include "shell/services.h"

using namespace aout;

namespace {

uint32_t wordAt(const uint8_t* p) {
  uint32_t value;
  memcpy(&value, p, 4);
  return value;
}

void putWord(uint8_t* p, uint32_t value) { memcpy(p, &value, 4); }

struct Relocation {
  int32_t address;    // of the field, from the start of its own segment
  uint32_t target;    // symbol index, or segment
  bool pcRelative, external;
  uint32_t length;

  static Relocation at(const uint8_t* record) {
    uint32_t info = wordAt(record + 4);
    return Relocation{(int32_t)wordAt(record), info & RelocSymbolMask,
                      (info & RelocPcRelative) != 0, (info & RelocExternal) != 0,
                      (info >> RelocLengthShift) & RelocLengthMask};
  }
  bool fieldInside(uint32_t segmentSize) const {
    return address >= 0 && (uint64_t)address + 4 <= segmentSize;
  }
};

// Text relocations may be external or local, absolute or pc-relative; data
// relocations only local and absolute. Local ones name text or data.
bool relocationsSound(const uint8_t* records, uint32_t count, uint32_t segmentSize,
                      bool isText) {
  for (uint32_t k = 0; k < count; ++k) {
    Relocation r = Relocation::at(records + k * RelocationSize);
    if (r.length != RelocLengthWord) continue;   // skipped by the loader
    if (!r.fieldInside(segmentSize)) return false;
    if (!isText && (r.external || r.pcRelative)) return false;
    if (!r.external && r.target != SegmentText && r.target != SegmentData) return false;
  }
  return true;
}

// The entry's image address; the last matching symbol wins.
bool findEntry(const ModuleLayout& layout, uint32_t* value) {
  bool found = false;
  ModuleSymbol symbol;
  for (uint32_t k = 0; k < layout.symbolCount; ++k)
    if (layout.symbol(k, &symbol) && symbol.type == SymbolText && symbol.name &&
        strcmp(symbol.name, EntrySymbol) == 0) {
      *value = symbol.value;
      found = true;
    }
  return found;
}

// Run-time value of a local reference: segment 4 holds image text addresses,
// segment 6 image data addresses (which start at the text size).
uint32_t localValue(const LoadedModule& m, uint32_t segment, uint32_t stored) {
  uint32_t text = (uint32_t)(uintptr_t)m.textRegion;
  uint32_t data = (uint32_t)(uintptr_t)m.dataRegion;
  return segment == SegmentText ? stored + text : stored - m.textSize + data;
}

void relocateText(const ModuleLayout& layout, const LoadedModule& m) {
  uint8_t* region = static_cast<uint8_t*>(m.textRegion);
  uint32_t text = (uint32_t)(uintptr_t)m.textRegion;
  for (uint32_t k = 0; k < layout.textRelocationCount; ++k) {
    Relocation r = Relocation::at(layout.textRelocations + k * RelocationSize);
    if (r.length != RelocLengthWord) continue;
    uint32_t stored = wordAt(layout.text + r.address);   // A, from the pristine image
    uint32_t place = text + (uint32_t)r.address;         // P
    uint32_t value;
    if (r.external) {
      // S, or S - (P + 4)
      uint32_t service = (uint32_t)(uintptr_t)ServiceFor(layout, r.target);
      value = r.pcRelative ? service - (place + 4) : service;
    } else if (r.target == SegmentText) {
      // A + text, or A unchanged: the distance within text does not move
      value = r.pcRelative ? stored : localValue(m, SegmentText, stored);
    } else {
      // A - T + data, or A - T + data - text
      value = localValue(m, SegmentData, stored) - (r.pcRelative ? text : 0);
    }
    putWord(region + r.address, value);
  }
}

void relocateData(const ModuleLayout& layout, const LoadedModule& m) {
  uint8_t* region = static_cast<uint8_t*>(m.dataRegion);
  for (uint32_t k = 0; k < layout.dataRelocationCount; ++k) {
    Relocation r = Relocation::at(layout.dataRelocations + k * RelocationSize);
    if (r.length != RelocLengthWord) continue;
    putWord(region + r.address, localValue(m, r.target, wordAt(layout.data + r.address)));
  }
}

}  // namespace

bool ModuleLayout::symbol(uint32_t index, ModuleSymbol* out) const {
  if (index >= symbolCount) return false;
  const uint8_t* record = symbols + index * SymbolSize;
  uint32_t nameOffset = wordAt(record + SymbolNameOffset);
  out->type = record[SymbolTypeOffset];
  out->value = wordAt(record + SymbolValueOffset);
  out->name = nullptr;
  if (nameOffset < stringsLength &&
      memchr(strings + nameOffset, 0, stringsLength - nameOffset))
    out->name = reinterpret_cast<const char*>(strings + nameOffset);
  return true;
}

LoadResult ReadLayout(const uint8_t* image, size_t length, ModuleLayout* layout) {
  if (length < 4 || wordAt(image) != Omagic) return LoadResult::BadMagic;
  if (length < HeaderSize) return LoadResult::Truncated;
  uint32_t header[8];
  for (int k = 0; k < 8; ++k) header[k] = wordAt(image + 4 * k);

  // Every part in turn; the sum is formed in 64 bits so it cannot wrap.
  uint64_t sizes[5] = {header[WordTextSize], header[WordDataSize],
                       header[WordTextRelocationsSize], header[WordDataRelocationsSize],
                       header[WordSymbolsSize]};
  uint64_t start[6];
  start[0] = HeaderSize;
  for (int k = 0; k < 5; ++k) start[k + 1] = start[k] + sizes[k];
  if (start[5] > length) return LoadResult::Truncated;

  layout->image = image;
  layout->length = length;
  layout->textSize = header[WordTextSize];
  layout->dataSize = header[WordDataSize];
  layout->text = image + start[0];
  layout->data = image + start[1];
  layout->textRelocations = image + start[2];
  layout->dataRelocations = image + start[3];
  layout->symbols = image + start[4];
  layout->strings = image + start[5];
  layout->stringsLength = length - start[5];
  // Trailing bytes of a table that do not make a whole record are ignored.
  layout->textRelocationCount = header[WordTextRelocationsSize] / RelocationSize;
  layout->dataRelocationCount = header[WordDataRelocationsSize] / RelocationSize;
  layout->symbolCount = header[WordSymbolsSize] / SymbolSize;

  if (!relocationsSound(layout->textRelocations, layout->textRelocationCount,
                        layout->textSize, true) ||
      !relocationsSound(layout->dataRelocations, layout->dataRelocationCount,
                        layout->dataSize, false))
    return LoadResult::BadRelocation;
  return LoadResult::Loaded;
}

LoadResult LoadModule(const uint8_t* image, size_t length, LoadedModule* module) {
  ModuleLayout layout;
  LoadResult result = ReadLayout(image, length, &layout);
  if (result != LoadResult::Loaded) return result;
  uint32_t entry = 0;
  if (!findEntry(layout, &entry) || entry >= layout.textSize) return LoadResult::NoEntry;

  LoadedModule m = {};
  m.textSize = layout.textSize;
  m.dataSize = layout.dataSize;
  m.textRegion = platformAllocate(m.textSize, Protection::ReadWriteExecute);
  m.dataRegion = platformAllocate(m.dataSize, Protection::ReadWrite);
  if (!m.textRegion || !m.dataRegion) {
    (void)platformLastError();   // nothing to report it to; the load just fails
    UnloadModule(&m);
    return LoadResult::NoMemory;
  }
  memcpy(m.textRegion, layout.text, m.textSize);
  memcpy(m.dataRegion, layout.data, m.dataSize);
  relocateText(layout, m);
  platformProtect(m.textRegion, m.textSize, Protection::ReadExecute);
  relocateData(layout, m);

  m.entry = reinterpret_cast<ModuleEntry>(static_cast<uint8_t*>(m.textRegion) + entry);
  platformLock(m.textRegion, m.textSize);
  platformLock(m.dataRegion, m.dataSize);
  platformFlushInstructions(m.textRegion, m.textSize);
  *module = m;
  return LoadResult::Loaded;
}

void UnloadModule(LoadedModule* module) {
  if (module->textRegion) platformRelease(module->textRegion, module->textSize);
  if (module->dataRegion) platformRelease(module->dataRegion, module->dataSize);
  module->textRegion = module->dataRegion = nullptr;
}
