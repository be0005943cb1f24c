// aoutconv: turns the relocatable ELF32 i386 object that module.ld produces
// into the a.out OMAGIC image a plug-in carries.
//
// References to defined symbols become local relocations (segment 4 or 6)
// holding image addresses; references to undefined symbols stay external,
// by index into the a.out symbol table; pc-relative references inside one
// segment are resolved here and need no relocation. Every name gets the
// a.out leading underscore. Anything without a rule (another section, another
// relocation type, an undefined symbol no service binds) fails the build with
// a message naming it.
#include <elf.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "shell/aout.h"
#include "shell/servicenames.h"

namespace {

struct Failure {
  std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw Failure{message}; }

#define VX_NAME(name, function) name,
const char* const serviceNames[] = {VX_SERVICE_BINDINGS(VX_NAME)};
#undef VX_NAME

bool isService(const std::string& name) {
  for (const char* known : serviceNames)
    if (name == known) return true;
  return false;
}

class ElfObject {
 public:
  explicit ElfObject(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() < sizeof(Elf32_Ehdr)) fail("not an ELF object: too short");
    const Elf32_Ehdr* h = header();
    if (memcmp(h->e_ident, ELFMAG, SELFMAG) != 0 || h->e_ident[EI_CLASS] != ELFCLASS32 ||
        h->e_ident[EI_DATA] != ELFDATA2LSB || h->e_machine != EM_386 || h->e_type != ET_REL)
      fail("not a relocatable ELF32 i386 object");
    if (h->e_shoff + (uint64_t)h->e_shnum * sizeof(Elf32_Shdr) > bytes_.size())
      fail("section headers reach past the end of the object");
  }

  const Elf32_Ehdr* header() const { return reinterpret_cast<const Elf32_Ehdr*>(bytes_.data()); }
  int sectionCount() const { return header()->e_shnum; }
  const Elf32_Shdr& section(int k) const {
    return reinterpret_cast<const Elf32_Shdr*>(bytes_.data() + header()->e_shoff)[k];
  }
  std::string sectionName(int k) const {
    return string(header()->e_shstrndx, section(k).sh_name);
  }
  std::string string(int table, uint32_t offset) const {
    const Elf32_Shdr& s = section(table);
    if (offset >= s.sh_size) fail("name outside its string table");
    const char* p = reinterpret_cast<const char*>(bytes_.data() + s.sh_offset + offset);
    return std::string(p, strnlen(p, s.sh_size - offset));
  }
  template <class T>
  std::vector<T> table(int k) const {
    const Elf32_Shdr& s = section(k);
    if (s.sh_offset + (uint64_t)s.sh_size > bytes_.size()) fail("section past the end: " + sectionName(k));
    std::vector<T> items(s.sh_size / sizeof(T));
    memcpy(items.data(), bytes_.data() + s.sh_offset, items.size() * sizeof(T));
    return items;
  }
  std::vector<uint8_t> contents(int k) const {
    const Elf32_Shdr& s = section(k);
    if (s.sh_type == SHT_NOBITS) return std::vector<uint8_t>(s.sh_size, 0);
    if (s.sh_offset + (uint64_t)s.sh_size > bytes_.size()) fail("section past the end: " + sectionName(k));
    return std::vector<uint8_t>(bytes_.begin() + s.sh_offset, bytes_.begin() + s.sh_offset + s.sh_size);
  }

 private:
  std::vector<uint8_t> bytes_;
};

uint32_t readWord(const std::vector<uint8_t>& v, uint32_t at) {
  uint32_t w;
  memcpy(&w, v.data() + at, 4);
  return w;
}
void writeWord(std::vector<uint8_t>& v, uint32_t at, uint32_t w) { memcpy(v.data() + at, &w, 4); }

struct AoutSymbol {
  std::string name;
  uint8_t type;
  uint32_t value;
};

class Converter {
 public:
  explicit Converter(const ElfObject& elf) : elf_(elf) {}

  std::vector<uint8_t> convert() {
    findSections();
    text_ = textIndex_ ? elf_.contents(textIndex_) : std::vector<uint8_t>();
    data_ = dataIndex_ ? elf_.contents(dataIndex_) : std::vector<uint8_t>();
    readSymbols();
    for (int k = 1; k < elf_.sectionCount(); ++k) {
      const Elf32_Shdr& s = elf_.section(k);
      if (s.sh_type == SHT_RELA) fail("relocations with addends have no rule: " + elf_.sectionName(k));
      if (s.sh_type != SHT_REL) continue;
      if ((int)s.sh_info == textIndex_) convertRelocations(k, true);
      else if ((int)s.sh_info == dataIndex_) convertRelocations(k, false);
      else fail("relocations for a section with no rule: " + elf_.sectionName(s.sh_info));
    }
    return write();
  }

 private:
  void findSections() {
    for (int k = 1; k < elf_.sectionCount(); ++k) {
      const Elf32_Shdr& s = elf_.section(k);
      std::string name = elf_.sectionName(k);
      if (s.sh_type == SHT_SYMTAB) {
        symtabIndex_ = k;
      } else if (name == ".text") {
        textIndex_ = k;
      } else if (name == ".data") {
        dataIndex_ = k;
      } else if ((s.sh_flags & SHF_ALLOC) && s.sh_size > 0) {
        fail("section with no rule: " + name);
      }
    }
    if (!symtabIndex_) fail("the object has no symbol table");
  }

  // Defined global symbols keep their place; undefined ones are listed as
  // they are first referenced. The entry comes first.
  void readSymbols() {
    elfSymbols_ = elf_.table<Elf32_Sym>(symtabIndex_);
    int strings = elf_.section(symtabIndex_).sh_link;
    aoutIndex_.assign(elfSymbols_.size(), -1);
    bool entry = false;
    for (int pass = 0; pass < 2; ++pass)
      for (size_t k = 1; k < elfSymbols_.size(); ++k) {
        const Elf32_Sym& s = elfSymbols_[k];
        if (ELF32_ST_BIND(s.st_info) == STB_LOCAL || s.st_shndx == SHN_UNDEF) continue;
        std::string name = "_" + elf_.string(strings, s.st_name);
        bool isEntry = name == aout::EntrySymbol;
        if (isEntry != (pass == 0)) continue;
        entry |= isEntry;
        aoutIndex_[k] = (int)symbols_.size();
        symbols_.push_back(AoutSymbol{name, segmentOf(s.st_shndx, name) == aout::SegmentText
                                                 ? aout::SymbolText : aout::SymbolData,
                                      imageAddress(s)});
      }
    if (!entry) fail(std::string("no entry symbol ") + aout::EntrySymbol);
  }

  uint32_t segmentOf(uint32_t shndx, const std::string& what) const {
    if ((int)shndx == textIndex_) return aout::SegmentText;
    if ((int)shndx == dataIndex_) return aout::SegmentData;
    fail("symbol in a section with no rule: " + what);
  }

  uint32_t imageAddress(const Elf32_Sym& s) const {
    return s.st_value + (segmentOf(s.st_shndx, "symbol") == aout::SegmentData ? text_.size() : 0);
  }

  int undefinedIndex(size_t k, const std::string& name) {
    if (aoutIndex_[k] < 0) {
      if (!isService(name)) fail("undefined symbol no service binds: " + name);
      aoutIndex_[k] = (int)symbols_.size();
      symbols_.push_back(AoutSymbol{name, aout::SymbolUndefined, 0});
    }
    return aoutIndex_[k];
  }

  void convertRelocations(int section, bool inText) {
    std::vector<uint8_t>& segment = inText ? text_ : data_;
    uint32_t segmentBase = inText ? 0 : (uint32_t)text_.size();
    std::vector<uint8_t>& out = inText ? textRelocations_ : dataRelocations_;
    int strings = elf_.section(symtabIndex_).sh_link;
    for (const Elf32_Rel& r : elf_.table<Elf32_Rel>(section)) {
      uint32_t type = ELF32_R_TYPE(r.r_info);
      size_t symbolIndex = ELF32_R_SYM(r.r_info);
      if (symbolIndex >= elfSymbols_.size()) fail("relocation names no symbol");
      const Elf32_Sym& s = elfSymbols_[symbolIndex];
      std::string name = ELF32_ST_TYPE(s.st_info) == STT_SECTION
                             ? elf_.sectionName(s.st_shndx)
                             : "_" + elf_.string(strings, s.st_name);
      if (type != R_386_32 && type != R_386_PC32)
        fail("relocation type " + std::to_string(type) + " has no rule, against " + name);
      if (r.r_offset + 4ull > segment.size()) fail("relocation outside its section, against " + name);
      bool pcRelative = type == R_386_PC32;
      uint32_t place = segmentBase + r.r_offset;   // P, as an image address
      uint32_t addend = readWord(segment, r.r_offset);

      if (s.st_shndx == SHN_UNDEF) {
        // External: the field holds what the format stores, 0 or -(address + 4).
        if (!inText) fail("a data reference to an undefined symbol has no rule: " + name);
        int index = undefinedIndex(symbolIndex, name);
        writeWord(segment, r.r_offset, pcRelative ? -(r.r_offset + 4) : 0);
        emit(out, r.r_offset, aout::relocationWord(index, pcRelative, true));
        continue;
      }
      uint32_t targetSegment = segmentOf(s.st_shndx, name);
      uint32_t target = imageAddress(s) + addend;   // S + A
      if (!pcRelative) {
        writeWord(segment, r.r_offset, target);
        emit(out, r.r_offset, aout::relocationWord(targetSegment, false, false));
      } else if ((targetSegment == aout::SegmentText) == inText) {
        writeWord(segment, r.r_offset, target - place);   // resolved here: S + A - P
      } else if (inText) {
        writeWord(segment, r.r_offset, target - place);   // text to data moves at load
        emit(out, r.r_offset, aout::relocationWord(aout::SegmentData, true, false));
      } else {
        fail("a pc-relative reference from data to text has no rule: " + name);
      }
    }
  }

  static void emit(std::vector<uint8_t>& out, uint32_t address, uint32_t info) {
    uint32_t words[2] = {address, info};
    const uint8_t* p = reinterpret_cast<const uint8_t*>(words);
    out.insert(out.end(), p, p + 8);
  }

  std::vector<uint8_t> write() const {
    std::vector<uint8_t> strings(4, 0), symbols;
    const std::vector<uint8_t>& symbolTable = symbols;
    const std::vector<uint8_t>& stringTable = strings;
    for (const AoutSymbol& s : symbols_) {
      uint32_t record[3] = {(uint32_t)strings.size(), s.type, s.value};
      const uint8_t* p = reinterpret_cast<const uint8_t*>(record);
      symbols.insert(symbols.end(), p, p + 12);
      strings.insert(strings.end(), s.name.begin(), s.name.end());
      strings.push_back(0);
    }
    writeWord(strings, 0, (uint32_t)strings.size());
    uint32_t header[8] = {aout::Omagic, (uint32_t)text_.size(), (uint32_t)data_.size(), 0,
                          (uint32_t)symbols.size(), 0, (uint32_t)textRelocations_.size(),
                          (uint32_t)dataRelocations_.size()};
    std::vector<uint8_t> image(reinterpret_cast<const uint8_t*>(header),
                               reinterpret_cast<const uint8_t*>(header) + sizeof header);
    for (const std::vector<uint8_t>* part :
         {&text_, &data_, &textRelocations_, &dataRelocations_, &symbolTable, &stringTable})
      image.insert(image.end(), part->begin(), part->end());
    return image;
  }

  const ElfObject& elf_;
  int textIndex_ = 0, dataIndex_ = 0, symtabIndex_ = 0;
  std::vector<uint8_t> text_, data_, textRelocations_, dataRelocations_;
  std::vector<Elf32_Sym> elfSymbols_;
  std::vector<int> aoutIndex_;   // a.out index of each ELF symbol, or -1
  std::vector<AoutSymbol> symbols_;
};

std::vector<uint8_t> readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(std::string("cannot read ") + path);
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string s = buffer.str();
  return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: aoutconv MODULE.o IMAGE.aout\n");
    return 2;
  }
  try {
    std::vector<uint8_t> image = Converter(ElfObject(readFile(argv[1]))).convert();
    std::string temporary = std::string(argv[2]) + ".tmp";
    std::ofstream out(temporary, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), (std::streamsize)image.size());
    out.close();
    if (!out || rename(temporary.c_str(), argv[2]) != 0) fail(std::string("cannot write ") + argv[2]);
  } catch (const Failure& failure) {
    fprintf(stderr, "aoutconv: %s: %s\n", argv[1], failure.message.c_str());
    return 1;
  }
  return 0;
}
