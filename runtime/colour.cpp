// The transfer curve is a Rec. 709 style power law with a straight segment
// near black, continued above white with its slope at white. The linear side
// has 1148 steps to white against 255 gamma codes, so that a gamma code taken
// to linear light and back always comes home.
#include "runtime/colour.h"
#include "runtime/services.h"

int tablesReady = 0;
float gammaToLinearTable[GammaCodeMax - GammaCodeMin + 1];

namespace {
int16_t linearToGamma[LinearIndexMax - LinearIndexMin + 1];
uint8_t lumaCode[LumaIndexMax - LumaIndexMin + 1];
uint8_t chromaCode[ChromaIndexMax - ChromaIndexMin + 1];

// Curve constants: V = 1.0993 L^0.45 - 0.0993 above the straight segment.
const double CurveGain = 1.099296826809443;
const double CurveOffset = 0.09929682680944298;
const double CurveExponent = 0.45;
const double AboveWhiteGammaSlope = 0.10988180389928885;   // codes per linear step
const double InverseScale = 280.32069083640795;            // 255 * CurveGain
const double InverseOffset = 0.09032758431372742;          // CurveOffset / CurveGain
const double InverseExponent = 2.2222222222222223;         // 1 / CurveExponent
const double AboveWhiteLinearSlope = 0.00792742845913963;  // linear per code
const int StraightSegmentEnd = 20;

double power(double x, double p) { return exp(p * log(x)); }

int limitCode(int code) { return code < 1 ? 1 : code > 254 ? 254 : code; }

void buildCurves() {
  for (int i = LinearIndexMin; i <= LinearIndexMax; ++i) {
    int code;
    if (i <= StraightSegmentEnd)
      code = i;
    else if (i < LinearStepsToWhite)
      code = (int)(255.0 * (CurveGain * power(i / (double)LinearStepsToWhite, CurveExponent) -
                            CurveOffset) + 0.5);
    else
      code = (int)(AboveWhiteGammaSlope * (i - LinearStepsToWhite) + 255.5);
    linearToGamma[i - LinearIndexMin] = (int16_t)code;
  }
  for (int i = GammaCodeMin; i <= GammaCodeMax; ++i) {
    double value;
    if (i <= StraightSegmentEnd)
      value = i / (double)LinearStepsToWhite;
    else if (i <= 254)
      value = power(i / InverseScale + InverseOffset, InverseExponent);
    else
      value = 1.0 + AboveWhiteLinearSlope * (i - 255);
    gammaToLinearTable[i - GammaCodeMin] = (float)value;
  }
}

void buildCodes() {
  for (int i = LumaIndexMin; i <= LumaIndexMax; ++i)
    lumaCode[i - LumaIndexMin] = (uint8_t)limitCode(i + 16);
  for (int i = ChromaIndexMin; i <= ChromaIndexMax; ++i)
    chromaCode[i - ChromaIndexMin] = (uint8_t)limitCode(i + 128);
}

// 1148 c rounded half away from zero, limited to the table so that no
// component, however far out of range, indexes outside it.
int linearIndex(float component) {
  double scaled = (double)LinearStepsToWhite * component;
  if (!(scaled > LinearIndexMin - 0.5)) return LinearIndexMin;   // also NaN
  if (scaled >= LinearIndexMax + 0.5) return LinearIndexMax;
  return scaled < 0 ? -(int)(0.5 - scaled) : (int)(scaled + 0.5);
}

}  // namespace

void InitColourTables() {
  if (tablesReady) return;
  tablesReady = 1;
  buildCurves();
  buildCodes();
}

float gammaToLinearAt(int gammaCode) { return gammaToLinearTable[gammaCode - GammaCodeMin]; }

int linearToGammaAt(int linearIndex) { return linearToGamma[linearIndex - LinearIndexMin]; }

void LinearToVideo(VideoPixel* out, const LinearRgb* in) {
  int r = linearToGamma[linearIndex(in->red) - LinearIndexMin];
  int g = linearToGamma[linearIndex(in->green) - LinearIndexMin];
  int b = linearToGamma[linearIndex(in->blue) - LinearIndexMin];
  int y = (1053 * r + 2066 * g + 400 * b + 2048) >> 12;
  int cb = (1801 * (b - r) + 1193 * (r - g) + 2048) >> 12;
  int cr = (1509 * (b - g) - 1801 * (b - r) + 2048) >> 12;
  out->unused = 0;
  out->cr = chromaCode[cr - ChromaIndexMin];
  out->cb = chromaCode[cb - ChromaIndexMin];
  out->y = lumaCode[y - LumaIndexMin];
}
