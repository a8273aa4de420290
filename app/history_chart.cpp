#include "app/history_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/number.h"

namespace tamiru::app {

namespace {

// The ticks' length, the room between a tick and its label, and the least
// room at the box's edges; every other margin follows the font's text sizes.
constexpr int kTickLength = 4, kLabelGap = 2, kEdge = 4;
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

// The values from `from` to `to` (either way round) at the multiples of `step`.
std::vector<double> TickValues(double from, double to, double step) {
  std::vector<double> values;
  const double low = std::min(from, to);
  const double high = std::max(from, to);
  for (double value = std::ceil(low / step) * step; value <= high + step * 1e-9; value += step) values.push_back(value);
  return values;
}

// The frame of a panel and its value ticks, labelled at the left, each label
// centred on its tick.
void AddValueAxis(platform::Picture& picture, const Panel& panel, const std::vector<double>& ticks, int text_height) {
  picture.lines.push_back({{{panel.left, panel.top}, {panel.left, panel.bottom}, {panel.right, panel.bottom},
                            {panel.right, panel.top}, {panel.left, panel.top}},
                           kAxisColour});
  for (double value : ticks) {
    const int y = panel.Y(value);
    picture.lines.push_back({{{panel.left + 1, y}, {panel.right - 1, y}}, kGridColour});
    picture.lines.push_back({{{panel.left - kTickLength, y}, {panel.left, y}}, kAxisColour});
    picture.texts.push_back(
        {{panel.left - kTickLength - kLabelGap, y - text_height / 2}, TickText(value), kAxisColour, true});
  }
}

// The legend of a panel above its top left: the items one after the other,
// each as wide as the font makes it.
void AddLegend(platform::Picture& picture, const Panel& panel, const TextMeasure& measure,
               const std::vector<std::pair<std::string, platform::Colour>>& items) {
  const int height = measure("0").y;
  int x = panel.left;
  for (const auto& [text, colour] : items) {
    picture.texts.push_back({{x, panel.top - height - kLabelGap - 1}, text, colour});
    x += measure(text).x + height;
  }
}

// The game numbers to label: the first game, then round numbers, as many
// as fit under `width` with a label's width of room between them.
std::vector<double> GameTicks(std::size_t count, int width, int label_width) {
  const int fitting = std::clamp(width / std::max(1, 2 * label_width), 1, 6);
  const double step = std::max(1.0, NiceStep(static_cast<double>(count - 1), fitting));
  std::vector<double> games;
  for (double game = 1; game <= static_cast<double>(count) + 1e-9; game = game == 1 && step > 1 ? step : game + step) {
    games.push_back(game);
  }
  return games;
}

// Game-number ticks under the lower panel, with ticks on both panels.
void AddGameAxis(platform::Picture& picture, const Panel& upper, const Panel& lower, std::size_t count,
                 const std::vector<double>& games) {
  for (double game : games) {
    const int x = GameX(lower, static_cast<std::size_t>(game) - 1, count);
    for (const Panel* panel : {&upper, &lower}) {
      picture.lines.push_back({{{x, panel->bottom}, {x, panel->bottom + kTickLength}}, kAxisColour});
    }
    picture.texts.push_back({{x, lower.bottom + kTickLength + 1}, TickText(game), kAxisColour, false, true});
  }
}

// Every rank, or only the best and the worst when the panel is too low for
// a label at each.
std::vector<double> RankTicks(const Panel& panel, int text_height) {
  const double worst = panel.bottom_value;
  const bool each_fits = (panel.bottom - panel.top) / (worst - 1) >= text_height;
  return TickValues(1, worst, each_fits ? 1 : worst - 1);
}

void AddRankPanel(platform::Picture& picture, const Panel& panel, const stats::KindHistory& history, int table_type,
                  const TextMeasure& measure) {
  AddValueAxis(picture, panel, RankTicks(panel, measure("0").y), measure("0").y);
  const double expected = stats::ExpectedRank(table_type);
  picture.lines.push_back({{{panel.left, panel.Y(expected)}, {panel.right, panel.Y(expected)}}, kReferenceColour, 1, true});
  picture.lines.push_back(SeriesLine(panel, stats::MovingAverage(history.trend, kLongHalfLife), kLongColour));
  picture.lines.push_back(SeriesLine(panel, stats::MovingAverage(history.trend, kShortHalfLife), kShortColour));
  AddLegend(picture, panel, measure,
            {{"平均順位 (10試合)", kShortColour}, {"平均順位 (50試合)", kLongColour},
             {"期待値 " + TickText(expected), kReferenceColour}});
}

void AddScorePanel(platform::Picture& picture, const Panel& panel, const std::vector<long long>& sums,
                   const std::vector<double>& ticks, const TextMeasure& measure) {
  AddValueAxis(picture, panel, ticks, measure("0").y);
  picture.lines.push_back({{{panel.left, panel.Y(0)}, {panel.right, panel.Y(0)}}, kAxisColour, 1, true});
  picture.lines.push_back(SeriesLine(panel, sums, kScoreColour));
  AddLegend(picture, panel, measure, {{"累積得点", kScoreColour}});
}

// The widest label of `values`.
int WidestLabel(const std::vector<double>& values, const TextMeasure& measure) {
  int widest = 0;
  for (double value : values) widest = std::max(widest, measure(TickText(value)).x);
  return widest;
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

platform::Picture TrendPicture(const stats::KindHistory& history, int table_type, int width, int height,
                               const TextMeasure& measure) {
  platform::Picture picture;
  const int text_height = measure("0").y;
  if (history.trend.size() < 2) {
    picture.texts.push_back({{width / 2, height / 2 - text_height / 2}, std::string(kTooFewGames), kAxisColour, false, true});
    return picture;
  }
  // The room the texts take decides the margins: the legends above each
  // panel, the value labels at the left, the game numbers below.
  const int top = kEdge + text_height + kLabelGap + 1;
  const int gap = kTickLength + kEdge + top;
  const int bottom = kTickLength + 1 + text_height + kEdge;
  const int plot_bottom = std::max(height - bottom, top + 2 * gap);
  const int split = top + (plot_bottom - top) * 3 / 5;
  const double worst = stats::EntriesOfKind(table_type);
  const std::vector<long long> sums = stats::CumulativeScore(history.trend);
  const auto [low, high] = std::minmax_element(sums.begin(), sums.end());
  const double bottom_value = std::min<double>(0, static_cast<double>(*low));
  double top_value = std::max<double>(0, static_cast<double>(*high));
  if (top_value == bottom_value) top_value = bottom_value + 1;
  // As many score ticks as have two text heights between them.
  const int lower_height = plot_bottom - (split + gap / 2);
  const int score_parts = std::clamp(lower_height / std::max(1, 2 * text_height), 1, 4);
  const std::vector<double> score_ticks = TickValues(bottom_value, top_value, NiceStep(top_value - bottom_value, score_parts));
  const std::vector<double> rank_ticks = TickValues(1, worst, 1);
  const int left = kEdge + std::max(WidestLabel(rank_ticks, measure), WidestLabel(score_ticks, measure)) + kLabelGap + kTickLength;
  const int last_label = measure(TickText(static_cast<double>(history.trend.size()))).x;
  const int right = std::max(width - kEdge - last_label / 2, left + 10);
  const Panel upper{left, top, right, split - gap / 2, 1, worst};
  const Panel lower{left, split + gap / 2, right, plot_bottom, top_value, bottom_value};
  AddRankPanel(picture, upper, history, table_type, measure);
  AddScorePanel(picture, lower, sums, score_ticks, measure);
  AddGameAxis(picture, upper, lower, history.trend.size(), GameTicks(history.trend.size(), right - left, last_label));
  return picture;
}

}  // namespace tamiru::app
