#include "rtl/IniFiles.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace mirel {

namespace {

std::optional<int> ParseInteger(StringView raw) {
  const String text = Trim(raw);
  StringView s(text);
  bool negative = false;
  if (!s.empty() && (s.front() == u'-' || s.front() == u'+')) {
    negative = s.front() == u'-';
    s.remove_prefix(1);
  }
  unsigned base = 10;
  if (!s.empty() && s.front() == u'$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() >= 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  long long value = 0;
  for (const char16_t c : s) {
    unsigned digit;
    if (c >= u'0' && c <= u'9')
      digit = c - u'0';
    else if (base == 16 && AsciiLower(c) >= u'a' && AsciiLower(c) <= u'f')
      digit = AsciiLower(c) - u'a' + 10;
    else
      return std::nullopt;
    value = value * base + digit;
    if (value > static_cast<long long>(UINT_MAX)) return std::nullopt;
  }
  if (base == 16 && !negative) {
    // Hexadecimal spells the 32 bits: $FFFFFFFF is -1, as a DWORD would read.
    return static_cast<int>(static_cast<unsigned>(value));
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

int TCustomIniFile::ReadInteger(StringView section, StringView ident, int def) {
  if (!ValueExists(section, ident)) return def;
  return ParseInteger(ReadString(section, ident, String())).value_or(def);
}

void TCustomIniFile::WriteInteger(StringView section, StringView ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(StringView section, StringView ident, bool def) {
  if (!ValueExists(section, ident)) return def;
  const String text = Trim(ReadString(section, ident, String()));
  if (SameText(text, u"true")) return true;
  if (SameText(text, u"false")) return false;
  const std::optional<int> number = ParseInteger(text);
  return number ? *number != 0 : def;
}

void TCustomIniFile::WriteBool(StringView section, StringView ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

TMemIniFile::Section* TMemIniFile::FindSection(StringView section) {
  for (Section& s : sections_)
    if (SameText(s.name, section)) return &s;
  return nullptr;
}

TMemIniFile::Value* TMemIniFile::FindValue(StringView section, StringView ident) {
  Section* s = FindSection(section);
  if (!s) return nullptr;
  for (Value& v : s->values)
    if (SameText(v.name, ident)) return &v;
  return nullptr;
}

String TMemIniFile::ReadString(StringView section, StringView ident, StringView def) {
  const Value* v = FindValue(section, ident);
  return v ? v->value : String(def);
}

void TMemIniFile::WriteString(StringView section, StringView ident, StringView value) {
  if (Value* v = FindValue(section, ident)) {
    v->value = String(value);
    return;
  }
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{String(section), {}});
    s = &sections_.back();
  }
  s->values.push_back(Value{String(ident), String(value)});
}

bool TMemIniFile::SectionExists(StringView section) {
  return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(StringView section, StringView ident) {
  return FindValue(section, ident) != nullptr;
}

void TMemIniFile::ReadSection(StringView section, TStringList& names) {
  names.Clear();
  if (const Section* s = FindSection(section))
    for (const Value& v : s->values) names.Add(v.name);
}

void TMemIniFile::ReadSections(TStringList& names) {
  names.Clear();
  for (const Section& s : sections_) names.Add(s.name);
}

void TMemIniFile::EraseSection(StringView section) {
  std::erase_if(sections_, [&](const Section& s) { return SameText(s.name, section); });
}

void TMemIniFile::DeleteKey(StringView section, StringView ident) {
  if (Section* s = FindSection(section))
    std::erase_if(s->values, [&](const Value& v) { return SameText(v.name, ident); });
}

namespace {

String Escape(StringView value) {
  String out;
  out.reserve(value.size());
  for (const char16_t c : value) {
    switch (c) {
      case u'\\':
        out += u"\\\\";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\r':
        out += u"\\r";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

String Unescape(StringView value) {
  String out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) {
      const char16_t next = value[i + 1];
      if (next == u'n' || next == u'r' || next == u'\\') {
        out.push_back(next == u'n' ? u'\n' : next == u'r' ? u'\r' : u'\\');
        ++i;
        continue;
      }
    }
    out.push_back(value[i]);
  }
  return out;
}

}  // namespace

String TMemIniFile::GetText() const {
  String out;
  for (const Section& s : sections_) {
    out += u'[';
    out += s.name;
    out += u"]\n";
    for (const Value& v : s.values) {
      out += v.name;
      out += u'=';
      out += Escape(v.value);
      out += u'\n';
    }
  }
  return out;
}

void TMemIniFile::SetText(StringView text) {
  sections_.clear();
  TStringList lines;
  lines.SetText(text);
  Section* current = nullptr;
  for (int i = 0; i < lines.Count(); ++i) {
    const StringView line = lines[i];
    const String trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == u';' || trimmed.front() == u'#') continue;
    if (trimmed.front() == u'[' && trimmed.back() == u']') {
      const String name = trimmed.substr(1, trimmed.size() - 2);
      current = FindSection(name);
      if (!current) {
        sections_.push_back(Section{name, {}});
        current = &sections_.back();
      }
      continue;
    }
    const size_t eq = line.find(u'=');
    if (!current || eq == StringView::npos) continue;
    WriteString(current->name, Trim(line.substr(0, eq)), Unescape(line.substr(eq + 1)));
  }
}

}  // namespace mirel
