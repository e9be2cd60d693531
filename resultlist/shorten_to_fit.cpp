#include "resultlist/shorten_to_fit.h"

FittedText ShortenToFit(const MeasuredText& text, int width, int margin, int ellipsisWidth) {
  if (text.length == 0 || text.prefixWidth(text.length) + margin <= width) return {text.length, false};
  // The first unit always begins a character, even a stray half of one: a
  // text of nothing else still has a first character to keep.
  size_t second = 1;
  while (second < text.length && !text.startsCharacter(second)) ++second;
  for (size_t cut = text.length - 1; cut > second; --cut) {
    if (text.startsCharacter(cut) && text.prefixWidth(cut) + ellipsisWidth + margin <= width) return {cut, true};
  }
  return {second, true};
}
