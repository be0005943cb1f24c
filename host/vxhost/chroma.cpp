#include "host/vxhost/chroma.h"

#include <algorithm>

#include "host/vxhost/y4m.h"

namespace vxhost {

namespace {

using Blend = ChromaResampler::Blend;
using Taps = ChromaResampler::Taps;

constexpr int Quarters = 4;

// One axis of n luma samples over m chroma samples (m = n or ceil(n / 2)).
std::vector<Blend> blendAxis(int n, int m, bool subsampled, bool cosited) {
  std::vector<Blend> blends(n);
  for (int i = 0; i < n; ++i) {
    // An interlaced frame's lower field may have fewer chroma rows than half
    // its rows: its last rows repeat the last one.
    int k = std::min(subsampled ? i / 2 : i, m - 1);
    if (!subsampled || (cosited && i % 2 == 0)) blends[i] = {k, k, Quarters};
    else if (cosited) blends[i] = {k, std::min(k + 1, m - 1), Quarters / 2};
    else if (i % 2 == 0) blends[i] = {k, std::max(k - 1, 0), 3};   // a quarter sample past centre
    else blends[i] = {k, std::min(k + 1, m - 1), 3};
  }
  return blends;
}

std::vector<Taps> tapAxis(int n, int m, bool subsampled, bool cosited) {
  std::vector<Taps> taps(m);
  for (int k = 0; k < m; ++k) {
    if (!subsampled) taps[k] = {{k, 0, 0}, {1, 0, 0}, 1};
    else if (cosited) taps[k] = {{std::max(2 * k - 1, 0), 2 * k, std::min(2 * k + 1, n - 1)}, {1, 2, 1}, 3};
    else taps[k] = {{2 * k, std::min(2 * k + 1, n - 1), 0}, {1, 1, 0}, 2};
  }
  return taps;
}

// Field-local positions f, f + 2, f + 4... of a frame axis, as frame positions.
int frameRow(int local, int field) { return 2 * local + field; }

}  // namespace

ChromaResampler::ChromaResampler(const VideoFormat& f) {
  const ChromaLayout& c = *f.chroma;
  int cw = (f.width + (1 << c.shiftX) - 1) >> c.shiftX;
  int ch = (f.height + (1 << c.shiftY) - 1) >> c.shiftY;
  blendX_ = blendAxis(f.width, cw, c.shiftX > 0, c.cositedX);
  tapsX_ = tapAxis(f.width, cw, c.shiftX > 0, c.cositedX);
  if (c.shiftY == 0 || f.interlace == Interlace::Progressive) {
    blendY_ = blendAxis(f.height, ch, c.shiftY > 0, c.cositedY);
    tapsY_ = tapAxis(f.height, ch, c.shiftY > 0, c.cositedY);
    return;
  }
  blendY_.resize(f.height);
  tapsY_.resize(ch);
  for (int field = 0; field < 2; ++field) {
    int rows = (f.height + 1 - field) / 2, chromaRows = (ch + 1 - field) / 2;
    if (chromaRows == 0) {   // a two-row frame: the lower field borrows the upper's chroma
      for (int i = 0; i < rows; ++i) blendY_[frameRow(i, field)] = {0, 0, Quarters};
      continue;
    }
    std::vector<Blend> blends = blendAxis(rows, chromaRows, true, c.cositedY);
    for (int i = 0; i < rows; ++i)
      blendY_[frameRow(i, field)] = {frameRow(blends[i].first, field), frameRow(blends[i].second, field),
                                     blends[i].firstQuarters};
    std::vector<Taps> taps = tapAxis(rows, chromaRows, true, c.cositedY);
    for (int k = 0; k < chromaRows; ++k) {
      Taps t = taps[k];
      for (int j = 0; j < t.count; ++j) t.index[j] = frameRow(t.index[j], field);
      tapsY_[frameRow(k, field)] = t;
    }
  }
}

void ChromaResampler::upsample(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                               Picture& picture) const {
  int cw = width();
  for (int y = 0; y < picture.height; ++y) {
    const Blend& v = blendY_[y];
    const uint8_t* cb0 = cb + (size_t)v.first * cw;
    const uint8_t* cb1 = cb + (size_t)v.second * cw;
    const uint8_t* cr0 = cr + (size_t)v.first * cw;
    const uint8_t* cr1 = cr + (size_t)v.second * cw;
    const uint8_t* lumaRow = luma + (size_t)y * picture.width;
    uint32_t* out = picture.row(y);
    for (int x = 0; x < picture.width; ++x) {
      const Blend& h = blendX_[x];
      // Weights in sixteenths: the product of the two quarter weights.
      auto mix = [&](const uint8_t* r0, const uint8_t* r1) {
        int top = h.firstQuarters * r0[h.first] + (Quarters - h.firstQuarters) * r0[h.second];
        int bottom = h.firstQuarters * r1[h.first] + (Quarters - h.firstQuarters) * r1[h.second];
        return (unsigned)((v.firstQuarters * top + (Quarters - v.firstQuarters) * bottom + 8) >> 4);
      };
      out[x] = packPixel(lumaRow[x], mix(cb0, cb1), mix(cr0, cr1));
    }
  }
}

void ChromaResampler::downsample(const Picture& picture, uint8_t* cb, uint8_t* cr) const {
  int cw = width();
  for (int k = 0; k < height(); ++k) {
    const Taps& v = tapsY_[k];
    for (int j = 0; j < cw; ++j) {
      const Taps& h = tapsX_[j];
      unsigned sumCb = 0, sumCr = 0, total = 0;
      for (int a = 0; a < v.count; ++a)
        for (int b = 0; b < h.count; ++b) {
          uint32_t p = picture.row(v.index[a])[h.index[b]];
          unsigned w = (unsigned)(v.weight[a] * h.weight[b]);
          sumCb += w * pixelCb(p);
          sumCr += w * pixelCr(p);
          total += w;
        }
      cb[(size_t)k * cw + j] = (uint8_t)((sumCb + total / 2) / total);
      cr[(size_t)k * cw + j] = (uint8_t)((sumCr + total / 2) / total);
    }
  }
}

}  // namespace vxhost
