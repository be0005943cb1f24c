#include "host/vxhost/picture.h"

#include <string.h>
#include <string>

namespace vxhost {

namespace {
int firstRow(FieldParity parity) { return parity == FieldParity::Upper ? 0 : 1; }
}

int fieldRows(int frameRows, FieldParity parity) {
  return parity == FieldParity::Upper ? (frameRows + 1) / 2 : frameRows / 2;
}

void extractField(const Picture& frame, FieldParity parity, Picture& field) {
  field.resize(frame.width, fieldRows(frame.height, parity));
  for (int y = 0; y < field.height; ++y)
    memcpy(field.row(y), frame.row(2 * y + firstRow(parity)), frame.width * sizeof(uint32_t));
}

void insertField(Picture& frame, FieldParity parity, const Picture& field) {
  int rows = fieldRows(frame.height, parity);
  for (int y = 0; y < rows && y < field.height; ++y)
    memcpy(frame.row(2 * y + firstRow(parity)), field.row(y), frame.width * sizeof(uint32_t));
}

Status checkFieldSize(int width, int rows) {
  std::string size = std::to_string(width) + "x" + std::to_string(rows);
  if (width < 1 || rows < 1)
    return Status::failure("fields of " + size + " are empty; a frame needs at least one "
                           "column and, split into fields, two rows");
  if (width > MaxImageSide || rows > MaxImageSide)
    return Status::failure("fields of " + size + " do not fit the plug-in image records, "
                           "which hold at most " + std::to_string(MaxImageSide) +
                           " pixels a side; scale the clip down first");
  return Status();
}

}  // namespace vxhost
