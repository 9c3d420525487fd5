#include "BenchSupport.h"

#include "gen/ProjectGenerator.h"
#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"

namespace mirel::bench {

std::vector<std::string> SampleUnits(int count) {
  const TProjectGenerator gen(kBenchSeed);
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) files.push_back(gen.Unit(i, true).Bytes);
  return files;
}

std::vector<std::string> SampleFormTexts(int count, TShape shape) {
  const TProjectGenerator gen(kBenchSeed, shape);
  std::vector<std::string> files;
  for (int i = 0; static_cast<int>(files.size()) < count; ++i)
    if (gen.HasForm(i, count)) files.push_back(gen.FormText(i));
  return files;
}

std::vector<std::string> SampleBinaryForms(int count) {
  const TEncoding& cp = TEncoding::Default();
  std::vector<std::string> files;
  for (const std::string& text : SampleFormTexts(count)) {
    TBinaryFormKind kind;
    kind.HasHeader = true;
    kind.Header.Name = "TFRMSAMPLE";
    files.push_back(TextToBinaryForm(cp.GetString(text), kind, cp));
  }
  return files;
}

int64_t TotalBytes(const std::vector<std::string>& files) {
  int64_t total = 0;
  for (const std::string& f : files) total += static_cast<int64_t>(f.size());
  return total;
}

}  // namespace mirel::bench
