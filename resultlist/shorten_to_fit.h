// Cutting a cell's text so that it fits its column, ended with "...".
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The pixel width of a text in the font being drawn with.
using TextWidthFn = std::function<int(std::string_view)>;

struct FittedText {
  std::string text;
  bool shortened = false;  // cut and ended with "..."
};

// `text` unchanged when its width plus `margin` fits `width`; otherwise its
// longest prefix (in whole characters) that fits together with "..." and the
// margin, followed by "...". At least the first character is kept, even when
// nothing fits; a one-character text is never cut, only ended with "...".
FittedText ShortenToFit(std::string_view text, int width, int margin, const TextWidthFn& measure);
