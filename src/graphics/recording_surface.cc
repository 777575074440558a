// Recording drawing calls as text lines.
#include "graphics/recording_surface.h"

#include <sstream>

namespace zirbin::graphics {

namespace {

std::string colourText(Rgb c) {
  return "rgb(" + std::to_string(redOf(c)) + "," + std::to_string(greenOf(c)) + "," +
         std::to_string(blueOf(c)) + ")";
}

std::string rectText(const PixelRect& r) {
  std::ostringstream s;
  s << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom;
  return s.str();
}

std::string pointsText(const char* name, std::span<const Point> points) {
  std::ostringstream s;
  s << name;
  for (const Point& p : points) s << ' ' << p.x << ',' << p.y;
  return s.str();
}

}  // namespace

void RecordingSurface::beginFrame(const FrameClip& clip) {
  calls.push_back("frame " + std::to_string(clip.number) + " " + rectText(clip.frame) +
                  " clip " + rectText(clip.plotArea));
}

void RecordingSurface::endFrame() { calls.push_back("endframe"); }

void RecordingSurface::eraseRect(const PixelRect& r, Rgb colour) {
  calls.push_back("erase " + rectText(r) + " " + colourText(colour));
}

void RecordingSurface::beginStyle(const PlotStyle& style, bool filled) {
  std::ostringstream s;
  s << "style " << colourText(style.colour) << " w" << style.width << " ls" << style.lineStyle;
  if (filled) s << " fill " << colourText(style.fill);
  if (style.xorMode) s << " xor";
  calls.push_back(s.str());
}

void RecordingSurface::endStyle() { calls.push_back("endstyle"); }

void RecordingSurface::setClipping(bool on) { calls.push_back(on ? "clip on" : "clip off"); }

void RecordingSurface::polyline(std::span<const Point> points) {
  calls.push_back(pointsText("polyline", points));
}

void RecordingSurface::polygon(std::span<const Point> points) {
  calls.push_back(pointsText("polygon", points));
}

void RecordingSurface::rectangle(int left, int top, int width, int height) {
  std::ostringstream s;
  s << "rect " << left << ',' << top << ' ' << width << 'x' << height;
  calls.push_back(s.str());
}

void RecordingSurface::bar(int left, int top, int width, int baseline) {
  std::ostringstream s;
  s << "bar " << left << ',' << top << " w" << width << " base " << baseline;
  calls.push_back(s.str());
}

void RecordingSurface::circle(int cx, int cy, int r) {
  std::ostringstream s;
  s << "circle " << cx << ',' << cy << " r" << r;
  calls.push_back(s.str());
}

void RecordingSurface::text(const TextRun& run) {
  std::ostringstream s;
  s << "text a" << run.anchor << " r" << run.rotation;
  for (const TextPiece& p : run.pieces) {
    s << " [" << p.text << ' ' << p.x << ',' << p.y << ' ' << p.kind << ' ' << colourText(p.colour)
      << ' ' << p.size << ']';
  }
  calls.push_back(s.str());
  texts.push_back(run);
}

}  // namespace zirbin::graphics
