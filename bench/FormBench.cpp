// The form side of a migration: parsing and rewriting the mapped objects of
// a form with the form parser (on the forms of both generated shapes), and
// ProcessForm on whole forms. Throughput is in characters of form text (bytes
// of the text form file).
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "forms/KyFormParser.h"
#include "pascal/PasParser.h"
#include "replace/KyReplacer.h"

namespace mirel::bench {
namespace {

constexpr int kForms = 60;
// Real-shaped forms hold fewer mapped objects each (and half of them none),
// so more of them give a sample of about the same number of objects.
constexpr int kRealForms = 150;

std::vector<String> DecodedForms(TShape shape = TShape::Generated) {
  std::vector<String> texts;
  for (const std::string& bytes :
       SampleFormTexts(shape == TShape::Real ? kRealForms : kForms, shape))
    texts.push_back(TEncoding::Default().GetString(bytes));
  return texts;
}

// A mapped object of a sample form: where its keyword stands, how deep it is
// and the class it becomes.
struct TMappedObject {
  size_t form = 0;
  int position = 0;  // 1-based, as Parse takes it
  int depth = 0;
  String target;
  size_t length = 0;  // characters the parse took
};

std::vector<TMappedObject> FindMappedObjects(const std::vector<String>& forms,
                                             const TComponentReplacer& replacer) {
  std::vector<TMappedObject> found;
  for (size_t f = 0; f < forms.size(); ++f) {
    TPasParser lexer(forms[f]);
    lexer.SetOmitBlanks(true);
    StringView lexem;
    int depth = -1;
    size_t keywordPos = 0;
    int afterKeyword = -1;  // identifiers read since "object"
    for (int code; (code = lexer.GetNext(lexem)) != LexEnd;) {
      if (afterKeyword >= 0 && code == LexIdent) {
        if (++afterKeyword == 2) {
          if (const String* target = replacer.FindTargetClass(lexem))
            found.push_back({f, static_cast<int>(keywordPos) + 1, depth, *target, 0});
          afterKeyword = -1;
        }
        continue;
      }
      if (code == LexKwObject || code == LexKwInherited || code == LexKwInline) {
        ++depth;
        keywordPos = lexer.PrevPos();
        afterKeyword = 0;
      } else if (code == LexKwItem) {
        ++depth;
      } else if (code == LexKwEnd) {
        --depth;
      }
    }
  }
  return found;
}

// Parse and WriteObject for every mapped object of the sample forms.
void ParseWriteObjects(benchmark::State& state, TShape shape) {
  TProfilesScope profiles;
  const std::vector<String> forms = DecodedForms(shape);
  std::vector<TMappedObject> objects = FindMappedObjects(forms, BdeReplacer());
  TKyFormParser parser;
  int64_t chars = 0;
  int parsed = 0;
  for (TMappedObject& o : objects) {
    parser.SetTargetClass(o.target);
    int pos = o.position;
    if (parser.Parse(forms[o.form], u"<object>", pos)) {
      o.length = static_cast<size_t>(pos - o.position);
      chars += static_cast<int64_t>(o.length);
      ++parsed;
    }
  }
  for (auto _ : state) {
    for (const TMappedObject& o : objects) {
      parser.SetTargetClass(o.target);
      int pos = o.position;
      if (parser.Parse(forms[o.form], u"<object>", pos)) {
        String text = parser.WriteObject(o.depth);
        benchmark::DoNotOptimize(text);
      }
    }
  }
  state.SetBytesProcessed(state.iterations() * chars);
  state.counters["objects"] = static_cast<double>(objects.size());
  state.counters["parsed"] = static_cast<double>(parsed);
}
void BM_ParseWriteObjects(benchmark::State& state) {
  ParseWriteObjects(state, TShape::Generated);
}
BENCHMARK(BM_ParseWriteObjects);
// The same over the mapped objects of real-shaped forms (BDE profile: the
// ADO units' objects are not mapped by it and not counted).
void BM_ParseWriteObjectsReal(benchmark::State& state) {
  ParseWriteObjects(state, TShape::Real);
}
BENCHMARK(BM_ParseWriteObjectsReal);

// ProcessForm of the BDE profile on whole text forms, output dropped.
void BM_ProcessForm(benchmark::State& state) {
  TProfilesScope profiles;
  TComponentReplacer& replacer = BdeReplacer();
  TSinkFileSystem sink;
  replacer.SetFileSystem(sink);
  std::vector<TFormFile> forms;
  int64_t chars = 0;
  for (String& text : DecodedForms()) {
    chars += static_cast<int64_t>(text.size());
    TFormFile form;
    form.Text = std::move(text);
    forms.push_back(std::move(form));
  }
  for (auto _ : state) {
    for (const TFormFile& form : forms) replacer.ProcessForm(form, u"/bench/out/Form.dfm");
  }
  replacer.SetFileSystem(TFileSystem::Real());
  state.SetBytesProcessed(state.iterations() * chars);
  state.counters["written"] = static_cast<double>(sink.Files());
}
BENCHMARK(BM_ProcessForm);

}  // namespace
}  // namespace mirel::bench

BENCHMARK_MAIN();
