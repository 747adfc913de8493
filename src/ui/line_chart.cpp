#include "ui/line_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/maths.h"
#include "engine/files/text_bank.h"
#include "engine/render/renderer.h"
#include "ui/draw_2d.h"
#include "ui/glyph_batcher.h"
#include "ui/money_format.h"
#include "ui/ui_services.h"

namespace {

// A grid of more lines than this is not drawn (a degenerate view or step).
constexpr int32_t kMaxGridLines = 4096;

float OneSignificantDigit(float raw) {
  if (raw == 0.0f || !std::isfinite(raw)) return raw;
  double v = std::fabs(double(raw)), scale = 1.0;
  while (v >= 10.0) v /= 10.0, scale *= 10.0;
  while (v < 1.0) v *= 10.0, scale /= 10.0;
  const double r = std::floor(v) * scale;
  return float(raw < 0.0f ? -r : r);
}

float PlotX(const CChart& c, float x) { return (x - c.viewX) * c.plotWidth / c.viewWidth + c.plotX; }
float PlotY(const CChart& c, float y) { return c.plotY + c.plotHeight - c.plotHeight * (y - c.viewY) / c.viewHeight; }

bool UsableStep(float step, float span) {
  return std::isfinite(step) && step > 0.0f && span / step < float(kMaxGridLines);
}

bool Multiple(int32_t n, int32_t every) { return every > 0 && n % every == 0; }

}  // namespace

void CChart::FitViewToData(CChart& c) {
  if (c.dataMaxX > c.dataMinX) {
    const float D = c.dataMaxY - c.dataMinY;
    const float top = D == 0.0f ? c.dataMaxY + 10.0f : c.dataMaxY + D / 4.0f;
    const float bottom = D == 0.0f ? c.dataMinY - 1.0f : c.dataMinY - D / 4.0f;
    if (top > bottom) {
      c.viewX = c.dataMinX;
      c.viewWidth = c.dataMaxX - c.dataMinX;
      c.viewY = bottom;
      c.viewHeight = top - bottom;
      return;
    }
  }
  c.viewX = c.viewY = c.viewWidth = c.viewHeight = 0.0f;
}

float TidyStep(float raw, bool twenty) {
  double m = 100.0 * double(raw), p = 0.01;
  while (m > 100.0) m /= 10.0, p *= 10.0;
  double step = 100.0 * p;
  if (m < 8.0) step = 5.0 * p;
  else if (m < 17.0) step = 10.0 * p;
  else if (twenty && m < 40.0) step = 20.0 * p;
  else if (m < 75.0) step = 50.0 * p;
  return float(step);
}

// Lines per label also count the grid lines of one tidy step (at least one).
// A money label shows whole dollars: labelled money steps are at least one,
// so that labels never repeat one rounded amount.
float MoneyStep(float tidy, float n) { return std::max(tidy, 1.0f) / n; }

float ChartXStep(const CChart& c, float raw) {
  const float n = float(std::max(1, c.xLinesPerLabel));
  switch (c.xKind) {
    case kChartMoney: return MoneyStep(TidyStep(n * raw), n);
    case kChartPercent: return TidyStep(n * raw) / n;
    case kChartNumber: return TidyStep(n * raw, false) / n;
    case kChartNoLabel: return OneSignificantDigit(raw);
    default: return raw;
  }
}

float ChartYStep(const CChart& c, float raw) {
  const float n = float(std::max(1, c.yLinesPerLabel));
  return c.yKind == kChartMoney ? MoneyStep(TidyStep(n * raw), n) : TidyStep(n * raw) / n;
}

float FirstGridValue(float start, float step) {
  float v = std::floor(start / step) * step;
  if (v < start - 0.001f) v += step;
  return v;
}

void DrawAxisLabel(float x, float y, float value, int32_t decimals, int32_t kind, int32_t flags) {
  CTextSystem* text = Ui().text;
  if (text == nullptr) return;
  char number[64];
  const char* format = decimals == 1 ? "%.1f" : decimals == 2 ? "%.2f" : "%.0f";
  std::snprintf(number, sizeof number, format, double(value));
  std::string label;
  uint32_t colour = 0xFFFFFFFFu;
  switch (kind) {
    case kChartNumber: label = number; break;
    case kChartMoney: label = FormatMoney(int32_t(std::lround(value))); break;
    case kChartPercent: label = std::string(number) + "%"; break;
    case kChartNoLabel: {
      colour = 0x0FFFFFFFu;
      const TextArg arg[] = {TextArg("5")};
      text->DrawTextFormatted(x, y, kChartLabelText, arg, &colour);
      return;
    }
    default: return;
  }
  TextRect size;
  text->MeasureString(size, 0, 0, label);
  const float w = float(size.width), h = float(size.height);
  float lx = x - w / 2.0f, ly = y - h / 2.0f;
  if (flags & 1) lx += w / 2.0f + 6.0f;
  if (flags & 2) lx -= w / 2.0f + 6.0f;
  if (flags & 4) ly -= h / 2.0f + 2.0f;
  if (flags & 8) ly += h / 2.0f + 2.0f;
  if (kind == kChartMoney) {
    text->DrawString(lx, ly, label, &colour);
  } else {
    const TextArg arg[] = {TextArg(label)};
    text->DrawTextFormatted(lx, ly, kChartLabelText, arg, &colour);
  }
}

void CChart::DrawGrid(const CChart& c, float xSpacing, float ySpacing, uint32_t gridColour,
                      uint32_t markerColour) {
  if (c.viewWidth == 0.0f || c.viewHeight == 0.0f) return;
  const int32_t oldFont = CurrentFont2D();
  SelectFont2D(0);
  const float xStep = ChartXStep(c, c.viewWidth * xSpacing / c.plotWidth);
  const float yStep = ChartYStep(c, c.viewHeight * ySpacing / c.plotHeight);
  if (UsableStep(xStep, c.viewWidth)) {
    for (float v = FirstGridValue(c.viewX, xStep); v < c.viewX + c.viewWidth; v += xStep) {
      const float x = PlotX(c, v);
      const int32_t n = int32_t(std::lround(v / xStep));
      const float w = Multiple(n, c.xMajorEvery) ? 2.0f : 1.0f;
      DrawRect2DSolid(SetUIRectXYWH(x, c.plotY, w, c.plotHeight), gridColour, 0.5f);
      if (Multiple(n, c.xLinesPerLabel))
        DrawAxisLabel(x, c.plotY + c.plotHeight, v * 1.0000001f, c.xDecimals, c.xKind, 8);
    }
  }
  if (UsableStep(yStep, c.viewHeight)) {
    for (float v = FirstGridValue(c.viewY, yStep); v < c.viewY + c.viewHeight; v += yStep) {
      const float y = PlotY(c, v);
      const int32_t n = int32_t(std::lround(v / yStep));
      const float h = Multiple(n, c.yMajorEvery) ? 2.0f : 1.0f;
      DrawRect2DSolid(SetUIRectXYWH(c.plotX, y, c.plotWidth, h), gridColour, 0.5f);
      if (Multiple(n, c.yLinesPerLabel)) DrawAxisLabel(c.plotX, y, v * 1.0000001f, c.yDecimals, c.yKind, 2);
    }
  }
  if (c.xMarker >= c.viewX && c.xMarker <= c.viewX + c.viewWidth) {
    const float x = PlotX(c, c.xMarker);
    DrawRect2DSolid(SetUIRect(x - 1.0f, c.plotY, x + 1.0f, c.plotY + c.plotHeight), markerColour, 0.5f);
  }
  if (c.yMarker >= c.viewY && c.yMarker <= c.viewY + c.viewHeight) {
    const float y = PlotY(c, c.yMarker);
    DrawRect2DSolid(SetUIRect(c.plotX, y - 1.0f, c.plotX + c.plotWidth, y + 1.0f), markerColour, 0.5f);
  }
  SelectFont2D(oldFont);
}

std::vector<ChartLineVertex> ChartLineVertices(const CChart& c, std::span<const ChartPoint> points,
                                               float width) {
  std::vector<ChartLineVertex> out;
  const size_t count = points.size();
  if (count < 2 || count > size_t(kChartLineCapacity) || c.viewWidth == 0.0f || c.viewHeight == 0.0f)
    return out;
  std::vector<ChartPoint> P(count);
  for (size_t i = 0; i < count; ++i) P[i] = {PlotX(c, points[i].x), PlotY(c, points[i].y)};
  out.resize(count);
  auto unit = [](float x, float y) {
    const float len = std::sqrt(x * x + y * y);
    return len > 0.0f ? ChartPoint{x / len, y / len} : ChartPoint{x, y};
  };
  for (size_t k = count; k-- > 0;) {
    // The ends' missing neighbours are mirrored in x only: the ends are cut upright.
    const ChartPoint before = k > 0 ? P[k - 1] : ChartPoint{P[0].x - (P[1].x - P[0].x), P[1].y};
    const ChartPoint after = k + 1 < count ? P[k + 1]
                                           : ChartPoint{P[k].x - (P[k - 1].x - P[k].x), P[k - 1].y};
    const ChartPoint a = unit(before.x - P[k].x, before.y - P[k].y);
    const ChartPoint b = unit(after.x - P[k].x, after.y - P[k].y);
    const ChartPoint n = unit(a.y - b.y, b.x - a.x);
    const float angle = std::acos(std::clamp(a.x * b.x + a.y * b.y, -1.0f, 1.0f));
    const float s = std::sin(angle / 2.0f);
    const float half = (s < 0.1f ? 10.0f : 1.0f / s) * width / 2.0f;
    out[k] = {P[k].x + half * n.x, P[k].y + half * n.y, P[k].x - half * n.x, P[k].y - half * n.y};
  }
  return out;
}

void CChart::DrawLine(const CChart& c, std::span<const ChartPoint> points, uint32_t colour, float width) {
  const std::vector<ChartLineVertex> v = ChartLineVertices(c, points, width);
  CRenderer* renderer = UiRenderer();
  if (v.size() < 2 || renderer == nullptr) return;
  std::vector<Vec3> quads;
  std::vector<uint32_t> colours;
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    quads.push_back({v[i].lowerX, v[i].lowerY, 0.5f});
    quads.push_back({v[i].upperX, v[i].upperY, 0.5f});
    quads.push_back({v[i + 1].upperX, v[i + 1].upperY, 0.5f});
    quads.push_back({v[i + 1].lowerX, v[i + 1].lowerY, 0.5f});
    colours.insert(colours.end(), 4, colour);
  }
  renderer->DrawGouraudQuads(quads.data(), int32_t(v.size() - 1), colours.data());
}
