// Subsampled chroma planes to full resolution and back, with the sample
// positions of each layout: a chroma sample either sits between the luma
// samples it covers (centred) or on the first of them (co-sited). Reading
// interpolates linearly between the two nearest samples; writing filters
// with the matching kernel, a mean of two for centred samples and
// 1/4, 1/2, 1/4 around a co-sited one. Both keep flat colour exactly. In an
// interlaced frame with vertical subsampling each field has chroma rows of
// its own, and the vertical filters work inside one field.
#pragma once

#include <stdint.h>
#include <vector>

#include "host/vxhost/picture.h"

namespace vxhost {

struct VideoFormat;

class ChromaResampler {
 public:
  explicit ChromaResampler(const VideoFormat& format);
  int width() const { return (int)tapsX_.size(); }
  int height() const { return (int)tapsY_.size(); }
  // Full-resolution pixels from the planes (width() x height() chroma).
  void upsample(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, Picture& picture) const;
  // Chroma planes from full-resolution pixels.
  void downsample(const Picture& picture, uint8_t* cb, uint8_t* cr) const;

  // A luma position from two chroma positions: firstQuarters / 4 of the first.
  struct Blend {
    int first, second;
    int firstQuarters;
  };
  // A chroma position from up to three luma positions, weighted.
  struct Taps {
    int index[3];
    int weight[3];
    int count;
  };

 private:
  std::vector<Blend> blendX_, blendY_;   // one per luma column, row
  std::vector<Taps> tapsX_, tapsY_;      // one per chroma column, row
};

}  // namespace vxhost
