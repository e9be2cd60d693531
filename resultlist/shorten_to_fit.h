// Cutting a cell's text so that it fits its column, ended with "...". The
// rule sees a text as a run of units (UTF-16 code units where it is drawn)
// and the width of each of its prefixes, so one measurement of the whole
// text, which gives every prefix's width at once, is all a cell costs.
#pragma once

#include <cstddef>
#include <functional>

struct MeasuredText {
  size_t length = 0;  // in units
  // The pixel width of the first `count` units (1 to `length`), in the font
  // being drawn with; never less for more units.
  std::function<int(size_t count)> prefixWidth;
  // Whether unit `index` begins a character, so that a cut may fall before
  // it; a cut never splits a character.
  std::function<bool(size_t index)> startsCharacter;
};

struct FittedText {
  size_t keep = 0;         // units of the text kept
  bool shortened = false;  // and "..." drawn after them
};

// The whole text when its width plus `margin` fits `width`; otherwise its
// longest prefix (in whole characters) that fits together with "..."
// (`ellipsisWidth` wide) and the margin, followed by "...". At least the
// first character is kept, even when nothing fits; a one-character text is
// never cut, only ended with "...".
FittedText ShortenToFit(const MeasuredText& text, int width, int margin, int ellipsisWidth);
