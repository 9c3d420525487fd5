#include "rtl/TextEdits.h"

namespace mirel {

void TTextEdits::Add(size_t offset, size_t length, String text) {
  MIREL_ASSERT(edits_.empty() || offset >= edits_.back().Offset + edits_.back().Length);
  growth_ += static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(length);
  edits_.push_back({offset, length, std::move(text)});
}

String TTextEdits::ApplyTo(StringView text) const {
  String out;
  out.reserve(static_cast<size_t>(static_cast<std::ptrdiff_t>(text.size()) + growth_));
  size_t copied = 0;  // the text before this is in out
  for (const TTextEdit& e : edits_) {
    MIREL_ASSERT(e.Offset + e.Length <= text.size());
    out.append(text, copied, e.Offset - copied);
    out += e.Text;
    copied = e.Offset + e.Length;
  }
  out.append(text, copied, StringView::npos);
  return out;
}

}  // namespace mirel
