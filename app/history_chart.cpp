#include "app/history_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/number.h"

namespace tamiru::app {

namespace {

// Room around the plots for the axes' labels, between the two panels, and
// the ticks' length and the labels' height.
constexpr int kLeft = 56, kRight = 12, kTop = 20, kBottom = 22;
constexpr int kPanelGap = 26, kTickLength = 4, kTextHeight = 12;
constexpr platform::Colour kAxisColour = 0x404040;
constexpr platform::Colour kGridColour = 0xC8C8C8;
constexpr platform::Colour kShortColour = 0x1F5FD0;
constexpr platform::Colour kLongColour = 0xD04020;
constexpr platform::Colour kReferenceColour = 0x208020;
constexpr platform::Colour kScoreColour = 0x7030A0;

// A panel of the chart: its pixel box and the values its top and bottom stand for.
struct Panel {
  int left, top, right, bottom;
  double top_value, bottom_value;

  int Y(double value) const {
    const double share = (value - top_value) / (bottom_value - top_value);
    return top + static_cast<int>(std::lround(share * (bottom - top)));
  }
};

// The x of game `index` (0-based) of `count`.
int GameX(const Panel& panel, std::size_t index, std::size_t count) {
  const double share = count > 1 ? static_cast<double>(index) / static_cast<double>(count - 1) : 0.0;
  return panel.left + static_cast<int>(std::lround(share * (panel.right - panel.left)));
}

// A polyline of a series, one point per pixel column at most.
template <typename Series>
platform::PictureLine SeriesLine(const Panel& panel, const Series& values, platform::Colour colour) {
  platform::PictureLine line;
  line.colour = colour;
  line.width = 2;
  int last_x = -1;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int x = GameX(panel, i, values.size());
    const platform::PicturePoint point{x, panel.Y(static_cast<double>(values[i]))};
    if (x == last_x) {
      line.points.back() = point;
    } else {
      line.points.push_back(point);
    }
    last_x = x;
  }
  return line;
}

std::string TickText(double value) {
  if (value == std::floor(value)) return text::DecimalText(static_cast<long long>(value));
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", value);
  return buffer;
}

// The frame of a panel, its value ticks from `from` by `step`, labelled at the left.
void AddValueAxis(platform::Picture& picture, const Panel& panel, double from, double to, double step) {
  picture.lines.push_back({{{panel.left, panel.top}, {panel.left, panel.bottom}, {panel.right, panel.bottom},
                            {panel.right, panel.top}, {panel.left, panel.top}},
                           kAxisColour});
  const double low = std::min(from, to);
  const double high = std::max(from, to);
  for (double value = std::ceil(low / step) * step; value <= high + step * 1e-9; value += step) {
    const int y = panel.Y(value);
    picture.lines.push_back({{{panel.left + 1, y}, {panel.right - 1, y}}, kGridColour});
    picture.lines.push_back({{{panel.left - kTickLength, y}, {panel.left, y}}, kAxisColour});
    picture.texts.push_back({{panel.left - kTickLength - 2, y - kTextHeight / 2}, TickText(value), kAxisColour, true});
  }
}

// Game-number ticks under the lower panel, with ticks on both panels.
void AddGameAxis(platform::Picture& picture, const Panel& upper, const Panel& lower, std::size_t count) {
  const double step = std::max(1.0, NiceStep(static_cast<double>(count - 1), 6));
  // The first game, then the round numbers of games.
  for (double game = 1; game <= static_cast<double>(count) + 1e-9; game = game == 1 && step > 1 ? step : game + step) {
    const int x = GameX(lower, static_cast<std::size_t>(game) - 1, count);
    for (const Panel* panel : {&upper, &lower}) {
      picture.lines.push_back({{{x, panel->bottom}, {x, panel->bottom + kTickLength}}, kAxisColour});
    }
    picture.texts.push_back({{x, lower.bottom + kTickLength + 1}, TickText(game), kAxisColour, false, true});
  }
}

void AddRankPanel(platform::Picture& picture, const Panel& panel, const stats::KindHistory& history, int table_type) {
  const double worst = panel.bottom_value;
  AddValueAxis(picture, panel, 1, worst, 1);
  const double expected = stats::ExpectedRank(table_type);
  picture.lines.push_back({{{panel.left, panel.Y(expected)}, {panel.right, panel.Y(expected)}}, kReferenceColour, 1, true});
  picture.lines.push_back(SeriesLine(panel, stats::MovingAverage(history.trend, kLongHalfLife), kLongColour));
  picture.lines.push_back(SeriesLine(panel, stats::MovingAverage(history.trend, kShortHalfLife), kShortColour));
  const int legend_y = panel.top - kTextHeight - 4;
  picture.texts.push_back({{panel.left, legend_y}, "平均順位 (10試合)", kShortColour});
  picture.texts.push_back({{panel.left + 130, legend_y}, "平均順位 (50試合)", kLongColour});
  picture.texts.push_back({{panel.left + 260, legend_y}, "期待値 " + TickText(expected), kReferenceColour});
}

void AddScorePanel(platform::Picture& picture, const Panel& panel, const std::vector<long long>& sums) {
  const double step = NiceStep(panel.top_value - panel.bottom_value, 4);
  AddValueAxis(picture, panel, panel.bottom_value, panel.top_value, step);
  picture.lines.push_back({{{panel.left, panel.Y(0)}, {panel.right, panel.Y(0)}}, kAxisColour, 1, true});
  picture.lines.push_back(SeriesLine(panel, sums, kScoreColour));
  picture.texts.push_back({{panel.left, panel.top - kTextHeight - 2}, "累積得点", kScoreColour});
}

}  // namespace

double NiceStep(double range, int parts) {
  if (!(range > 0) || parts < 1) return 1;
  const double rough = range / parts;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= rough) return factor * power;
  }
  return 10 * power;
}

platform::Picture TrendPicture(const stats::KindHistory& history, int table_type, int width, int height) {
  platform::Picture picture;
  if (history.trend.size() < 2) {
    picture.texts.push_back({{width / 2, height / 2 - kTextHeight / 2}, std::string(kTooFewGames), kAxisColour, false, true});
    return picture;
  }
  const int plot_bottom = std::max(height - kBottom, kTop + 2 * kPanelGap);
  const int split = kTop + (plot_bottom - kTop) * 3 / 5;
  const double worst = stats::EntriesOfKind(table_type);
  const Panel upper{kLeft, kTop, std::max(width - kRight, kLeft + 10), split - kPanelGap / 2, 1, worst};
  const std::vector<long long> sums = stats::CumulativeScore(history.trend);
  const auto [low, high] = std::minmax_element(sums.begin(), sums.end());
  const double bottom_value = std::min<double>(0, static_cast<double>(*low));
  double top_value = std::max<double>(0, static_cast<double>(*high));
  if (top_value == bottom_value) top_value = bottom_value + 1;
  const Panel lower{upper.left, split + kPanelGap / 2, upper.right, plot_bottom, top_value, bottom_value};
  AddRankPanel(picture, upper, history, table_type);
  AddScorePanel(picture, lower, sums);
  AddGameAxis(picture, upper, lower, history.trend.size());
  return picture;
}

}  // namespace tamiru::app
