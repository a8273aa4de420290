#pragma once
// The trend chart of the match history window as a picture: the user's rank
// as two moving averages (half-lives of 10 and 50 games) over the counted
// games in file order, with the expected average rank as a reference line,
// and the cumulative score below; both with labelled axes.
#include <functional>
#include <string_view>

#include "platform/view_controls.h"
#include "stats/score_history.h"

namespace tamiru::app {

inline constexpr double kShortHalfLife = 10;
inline constexpr double kLongHalfLife = 50;
inline constexpr std::string_view kTooFewGames = "試合が2つ未満のため推移は表示できません";

// The size a text takes in the chart's font.
using TextMeasure = std::function<platform::PicturePoint(std::string_view text)>;

// The picture for a chart of `width` x `height` pixels whose texts take
// the room `measure` gives: margins and legends follow the font.
platform::Picture TrendPicture(const stats::KindHistory& history, int table_type, int width, int height,
                               const TextMeasure& measure);

// A step of 1, 2 or 5 times a power of ten that cuts `range` into about
// `parts` parts.
double NiceStep(double range, int parts);

}  // namespace tamiru::app
