#include "rtl/FormConvert.h"

#include "rtl/FormText.h"

namespace mirel {

namespace {

constexpr std::string_view kResourceType("\xFF\x0A\x00", 3);

[[noreturn]] void Fail(size_t at, const String& what) {
  throw EFormFormatError(u"Binary form data, byte offset " + IntToStr(static_cast<long long>(at)) +
                         u": " + what);
}

}  // namespace

String ObjectBinaryToText(std::string_view stream, const TEncoding& codePage, size_t baseOffset) {
  return WriteFormText(ReadObjectStream(stream, baseOffset), codePage);
}

std::string ObjectTextToBinary(StringView text, const TEncoding& codePage) {
  return WriteObjectStream(ReadFormText(text, codePage));
}

bool HasResourceHeader(std::string_view file) {
  return file.substr(0, 3) == kResourceType;
}

bool IsBinaryForm(std::string_view file) {
  return HasResourceHeader(file) || file.substr(0, 4) == "TPF0";
}

size_t ReadResourceHeader(std::string_view file, TResourceHeader& header) {
  if (!HasResourceHeader(file)) Fail(0, u"no resource header (FF 0A 00)");
  size_t p = 3;
  if (p < file.size() && static_cast<uint8_t>(file[p]) == 0xFF) {
    if (file.size() - p < 3) Fail(p, u"truncated resource name");
    header.Name = std::string(file.substr(p, 3));
    p += 3;
  } else {
    const size_t end = file.find('\0', p);
    if (end == std::string_view::npos) Fail(p, u"the resource name has no terminating 0 byte");
    header.Name = std::string(file.substr(p, end - p));
    p = end + 1;
  }
  if (file.size() - p < 6) Fail(p, u"truncated resource header (memory flags and size)");
  auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(file[p + i])); };
  header.MemoryFlags = static_cast<uint16_t>(byte(0) | (byte(1) << 8));
  header.Size = byte(2) | (byte(3) << 8) | (byte(4) << 16) | (byte(5) << 24);
  return p + 6;
}

std::string WriteResourceFile(const TResourceHeader& header, std::string_view stream) {
  if (stream.size() > 0xFFFFFFFFu)
    throw EFormFormatError(u"Cannot write a binary form of 4 GB or more");
  const bool ordinal = header.Name.size() == 3 && static_cast<uint8_t>(header.Name[0]) == 0xFF;
  if (!ordinal && header.Name.find('\0') != std::string::npos)
    throw EFormFormatError(u"Cannot write a resource name that contains a 0 byte");
  std::string out(kResourceType);
  out += header.Name;
  if (!ordinal) out += '\0';
  out += static_cast<char>(header.MemoryFlags & 0xFF);
  out += static_cast<char>(header.MemoryFlags >> 8);
  const auto size = static_cast<uint32_t>(stream.size());
  for (int i = 0; i < 4; ++i) out += static_cast<char>((size >> (8 * i)) & 0xFF);
  out += stream;
  return out;
}

String BinaryFormToText(std::string_view file, TBinaryFormKind& kind, const TEncoding& codePage) {
  kind = TBinaryFormKind();
  size_t start = 0;
  if (HasResourceHeader(file)) {
    kind.HasHeader = true;
    start = ReadResourceHeader(file, kind.Header);
  }
  return ObjectBinaryToText(file.substr(start), codePage, start);
}

std::string TextToBinaryForm(StringView text, const TBinaryFormKind& kind,
                             const TEncoding& codePage) {
  std::string stream = ObjectTextToBinary(text, codePage);
  return kind.HasHeader ? WriteResourceFile(kind.Header, stream) : stream;
}

}  // namespace mirel
