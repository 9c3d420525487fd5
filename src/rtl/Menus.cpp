#include "rtl/Menus.h"

namespace mirel {

String RemoveAmpersands(StringView caption) {
  String r;
  r.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != u'&') {
      r += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
      r += u'&';
      ++i;
    }
  }
  return r;
}

const TProductMenu Menu{u"MirelMenu", u"&Mirel", u"Mirel for &SQL Server"};

}  // namespace mirel
