// The a.out OMAGIC relocatable image that every plug-in carries: format
// constants, shared by the loader, the converter that writes images and the
// tests that make them by hand. All words are little-endian.
#pragma once

#include <stdint.h>

namespace aout {

constexpr uint32_t Omagic = 0x107;        // header word 0, no machine or flag bits
constexpr uint32_t HeaderSize = 32;       // eight 32-bit words
constexpr uint32_t RelocationSize = 8;
constexpr uint32_t SymbolSize = 12;

// Header words.
enum HeaderWord {
  WordMagic, WordTextSize, WordDataSize, WordBssSize, WordSymbolsSize,
  WordEntry, WordTextRelocationsSize, WordDataRelocationsSize,
};

// Second word of a relocation record.
constexpr uint32_t RelocSymbolMask = 0x00FFFFFF;   // symbol index, or segment
constexpr uint32_t RelocPcRelative = 1u << 24;
constexpr int RelocLengthShift = 25;
constexpr uint32_t RelocLengthMask = 3;            // 0: 1 byte, 1: 2, 2: 4
constexpr uint32_t RelocLengthWord = 2;
constexpr uint32_t RelocExternal = 1u << 27;

// Segments named by local relocations.
constexpr uint32_t SegmentText = 4;
constexpr uint32_t SegmentData = 6;

// Symbol types.
constexpr uint8_t SymbolUndefined = 1;      // external, a service the module needs
constexpr uint8_t SymbolLocalText = 4;
constexpr uint8_t SymbolText = 5;           // external text symbol
constexpr uint8_t SymbolData = 7;           // external data symbol

// Symbol record layout.
constexpr uint32_t SymbolNameOffset = 0;
constexpr uint32_t SymbolTypeOffset = 4;
constexpr uint32_t SymbolValueOffset = 8;

constexpr const char EntrySymbol[] = "_GetOperatorInfo";

inline uint32_t relocationWord(uint32_t symbolOrSegment, bool pcRelative, bool external,
                               uint32_t length = RelocLengthWord) {
  return (symbolOrSegment & RelocSymbolMask) | (pcRelative ? RelocPcRelative : 0) |
         (length << RelocLengthShift) | (external ? RelocExternal : 0);
}

}  // namespace aout
