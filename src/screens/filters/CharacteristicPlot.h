#pragma once
// The frequency-characteristic plot shared by the two pre-filter studies (CDialog15 and
// CDialog16): its axes, its scale, how a curve is drawn on it, the four pre-filters as
// curves, and the colouring of their labels and edits.
//
// Pixel set-up of frame 1007: index i of the frequency grid (f = i * 10 / 640) lies at
// x = 10 * i + 30, a response v at y = 340 - v * 300 (1.0 at y = 40, 0 on the axis).
#include <functional>

#include "draw/Colors.h"
#include "draw/Surface.h"
#include "screens/Screen.h"

namespace lumo::filters {

// The picture frame both studies plot into.
inline constexpr int kPlotFrame = 1007;
// The last index of the frequency grid (f = 0.5 cycles/pixel).
inline constexpr int kLastGridIndex = 32;

// The column of grid index i.
double columnOf(int i);
// The row of a response value v: 340 - v * 300.
double responseRow(double v);

// Axes, ticks and their labels over whatever the frame shows, with the current pen;
// the text background becomes silver.
void drawCharacteristicAxes(draw::Surface& plot);
// The empty plot: the frame filled with silver, then the axes.
void eraseCharacteristicPlot(draw::Surface& plot);

// A polyline through (columnOf(i), rowOf(i)) for i = 0..last: move to the first point,
// a line to each later one. Drawn in `colour`; the surface's pen is left as it was.
void drawCurve(draw::Surface& plot, draw::Color colour, int last,
               const std::function<double(int)>& rowOf);
// The same in the surface's current pen.
void drawCurve(draw::Surface& plot, int last, const std::function<double(int)>& rowOf);

// A cut-off, width or order typed for a pre-filter is accepted from 0.01 on; a value
// that is not finite is out of range.
bool atLeast(double value, double minimum);
inline bool preFilterEntryInRange(double value) { return atLeast(value, 0.01); }

// One pre-filter as a curve on the grid: its response P(i) and the last index drawn.
enum class PreFilterKind { Butterworth, Hamming, Hanning, Gauss };
struct PreFilter {
  PreFilterKind kind;
  std::function<double(int)> response;
  int last;  // 32, or for the windows the last grid index not above the cut-off
};

PreFilter butterworthPreFilter(double fc, double n);
PreFilter hammingPreFilter(double fc);
PreFilter hanningPreFilter(double fc);
PreFilter gaussPreFilter(double F);

// The windows are drawn for i <= 64 * fc (compared as doubles), never beyond i = 32.
int lastIndexWithinCutOff(double fc);

// The pre-filter alone: y = 340 - P(i) * 300 for i = 0..last.
void drawPreFilterCurve(draw::Surface& plot, const PreFilter& filter, draw::Color colour);

// Colouring of the controls both studies share: the filter labels 1001, 1032, 1033, 1002
// (white on blue, orange, magenta, spring green) and the edits 1010 and 1012 (blue text),
// 1013 (orange), 1014 (magenta), 1009 (spring green). Other controls keep the defaults.
ControlColour preFilterColouring(int id, ControlKind kind);

}  // namespace lumo::filters
