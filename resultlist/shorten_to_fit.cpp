#include "resultlist/shorten_to_fit.h"

#include <vector>

namespace {

// Byte offsets where each UTF-8 character starts, so a cut never splits one.
// The first byte always starts one, even a stray continuation byte: a text
// of nothing else still has a first character to keep.
std::vector<size_t> CharacterStarts(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == 0 || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  return starts;
}

}  // namespace

FittedText ShortenToFit(std::string_view text, int width, int margin, const TextWidthFn& measure) {
  if (text.empty() || measure(text) + margin <= width) return {std::string(text), false};

  static constexpr std::string_view kEllipsis = "...";
  const int ellipsis = measure(kEllipsis);
  const std::vector<size_t> starts = CharacterStarts(text);
  // The first character stays when nothing fits.
  size_t keep = starts.size() > 1 ? starts[1] : text.size();
  for (size_t k = starts.size() - 1; k >= 1; --k) {
    const std::string_view cut = text.substr(0, starts[k]);
    if (measure(cut) + ellipsis + margin <= width) {
      keep = starts[k];
      break;
    }
  }
  std::string result(text.substr(0, keep));
  result += kEllipsis;
  return {std::move(result), true};
}
