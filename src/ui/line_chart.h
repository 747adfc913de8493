#pragma once
// Line charts drawn into a rectangle of the layout space: the view fitted to
// the data, a grid whose steps are tidy numbers, axis labels as numbers,
// money or percentages, two marker lines and thick polylines drawn as
// mitred quads. The owner fills the record, fits the view, then draws the
// grid and each series.
#include <cstdint>
#include <span>
#include <vector>

struct ChartPoint {
  float x, y;  // data units
};

// Label kinds of an axis; the x kind also chooses the x step rule.
enum ChartLabelKind : int32_t { kChartNumber = 0, kChartMoney = 1, kChartPercent = 2, kChartNoLabel = 3 };

inline constexpr int32_t kChartLineCapacity = 1024;
inline constexpr int32_t kChartLabelText = 1548;

struct CChart {
  float plotX = 0, plotY = 0, plotWidth = 0, plotHeight = 0;
  float viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
  int32_t xMajorEvery = 0, yMajorEvery = 0;
  int32_t xLinesPerLabel = 0, yLinesPerLabel = 0;
  int32_t xKind = kChartNumber, yKind = kChartNumber;
  int32_t xDecimals = 0, yDecimals = 0;
  float xMarker = 0, yMarker = 0;
  float dataMinX = 0, dataMinY = 0, dataMaxX = 0, dataMaxY = 0;

  static void FitViewToData(CChart& chart);
  static void DrawGrid(const CChart& chart, float xSpacing, float ySpacing, uint32_t gridColour,
                       uint32_t markerColour);
  // Nothing for more than kChartLineCapacity points.
  static void DrawLine(const CChart& chart, std::span<const ChartPoint> points, uint32_t colour, float width);
};

// The tidy grid step for a raw step: 5, 10, 20, 50 or 100 times a power of
// ten (at least 0.05); without `twenty` the 20 choice is skipped.
float TidyStep(float raw, bool twenty = true);
// The grid step of each axis for the raw steps (pixel spacing in data units).
float ChartXStep(const CChart& chart, float raw);
float ChartYStep(const CChart& chart, float raw);
// The first grid value at or above `start` (a multiple within 0.001 below it counts).
float FirstGridValue(float start, float step);

// The two vertices of each point of a thick line in plot space: the point
// plus and minus the mitred half width along the offset direction.
struct ChartLineVertex {
  float upperX, upperY, lowerX, lowerY;
};
std::vector<ChartLineVertex> ChartLineVertices(const CChart& chart, std::span<const ChartPoint> points,
                                               float width);

// One label beside (x, y); flags: 1 right, 2 left, 4 up, 8 down.
void DrawAxisLabel(float x, float y, float value, int32_t decimals, int32_t kind, int32_t flags);
