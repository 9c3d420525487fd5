#include "rtl/Classes.h"

#include <algorithm>
#include <map>

namespace mirel {

namespace {

struct FoldedLess {
  bool operator()(const String& a, const String& b) const { return CompareText(a, b) < 0; }
};

// The one registry of the process, built on first use so that registering
// from another unit's start-up code never meets an unconstructed map.
std::map<String, const TClassInfo*, FoldedLess>& Registry() {
  static std::map<String, const TClassInfo*, FoldedLess> registry;
  return registry;
}

}  // namespace

TClassInfo::TClassInfo(String name, std::vector<String> published, const TClassInfo* parent)
    : name_(std::move(name)), parent_(parent) {
  for (const String& p : published) published_.push_back(LowerCase(p));
  std::sort(published_.begin(), published_.end());
}

bool TClassInfo::HasPublished(StringView property) const {
  const String key = LowerCase(property);
  for (const TClassInfo* c = this; c != nullptr; c = c->parent_)
    if (std::binary_search(c->published_.begin(), c->published_.end(), key)) return true;
  return false;
}

void RegisterClass(const TClassInfo& cls) {
  auto [it, inserted] = Registry().emplace(cls.ClassName(), &cls);
  MIREL_ASSERT(inserted || it->second == &cls);
}

void UnRegisterClass(const TClassInfo& cls) {
  auto it = Registry().find(cls.ClassName());
  if (it != Registry().end() && it->second == &cls) Registry().erase(it);
}

const TClassInfo* GetClass(StringView name) {
  auto it = Registry().find(String(name));
  return it == Registry().end() ? nullptr : it->second;
}

bool GetPropInfo(const TClassInfo& cls, StringView property) {
  return cls.HasPublished(property);
}

}  // namespace mirel
