// Hand-made a.out OMAGIC images for loader tests.
#pragma once

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "shell/aout.h"

struct ImageBuilder {
  struct Symbol {
    std::string name;
    uint8_t type;
    uint32_t value;
  };
  struct Relocation {
    uint32_t address, info;
  };

  std::vector<uint8_t> text, data;
  std::vector<Relocation> textRelocations, dataRelocations;
  std::vector<Symbol> symbols;
  uint32_t magic = aout::Omagic;
  uint32_t extraSymbolBytes = 0, extraRelocationBytes = 0;   // trailing partial records

  void putTextWord(uint32_t at, uint32_t word) { put(text, at, word); }
  void putDataWord(uint32_t at, uint32_t word) { put(data, at, word); }

  std::vector<uint8_t> build() const {
    std::vector<uint8_t> strings(4, 0), symbolBytes, textRel, dataRel;
    for (const Symbol& s : symbols) {
      append(symbolBytes, (uint32_t)strings.size());
      symbolBytes.push_back(s.type);
      symbolBytes.insert(symbolBytes.end(), 3, 0);
      append(symbolBytes, s.value);
      strings.insert(strings.end(), s.name.begin(), s.name.end());
      strings.push_back(0);
    }
    symbolBytes.insert(symbolBytes.end(), extraSymbolBytes, 0xEE);
    for (const Relocation& r : textRelocations) append(textRel, r.address), append(textRel, r.info);
    for (const Relocation& r : dataRelocations) append(dataRel, r.address), append(dataRel, r.info);
    textRel.insert(textRel.end(), extraRelocationBytes, 0xEE);
    put(strings, 0, (uint32_t)strings.size());
    std::vector<uint8_t> image;
    for (uint32_t word : {magic, (uint32_t)text.size(), (uint32_t)data.size(), 0u,
                          (uint32_t)symbolBytes.size(), 0u, (uint32_t)textRel.size(),
                          (uint32_t)dataRel.size()})
      append(image, word);
    const std::vector<uint8_t>* parts[] = {&text, &data, &textRel, &dataRel, &symbolBytes, &strings};
    for (const std::vector<uint8_t>* part : parts)
      image.insert(image.end(), part->begin(), part->end());
    return image;
  }

  // An image whose entry returns the 32-bit value at text offset 1
  // (mov $value, %eax; ret), with room for test fields after it.
  static ImageBuilder returning(uint32_t value, uint32_t textSize = 0x200, uint32_t dataSize = 0x100) {
    ImageBuilder b;
    b.text.assign(textSize, 0x90);
    b.data.assign(dataSize, 0);
    b.text[0] = 0xB8;
    b.putTextWord(1, value);
    b.text[5] = 0xC3;
    b.symbols.push_back({aout::EntrySymbol, aout::SymbolText, 0});
    return b;
  }

 private:
  static void put(std::vector<uint8_t>& v, uint32_t at, uint32_t word) { memcpy(v.data() + at, &word, 4); }
  static void append(std::vector<uint8_t>& v, uint32_t word) {
    uint8_t b[4];
    memcpy(b, &word, 4);
    v.insert(v.end(), b, b + 4);
  }
};
