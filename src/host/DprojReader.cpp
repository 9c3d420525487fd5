#include "host/DprojReader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <memory>

#include "files/Paths.h"
#include "host/HostFiles.h"

namespace mirel {

namespace {

struct CtxtDeleter {
  void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
struct DocDeleter {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct XmlCharDeleter {
  void operator()(xmlChar* s) const { xmlFree(s); }
};

String FromXml(const xmlChar* s) {
  return s == nullptr ? String() : FromUtf8(reinterpret_cast<const char*>(s));
}

bool IsElement(const xmlNode* n, const char* localName) {
  return n->type == XML_ELEMENT_NODE &&
         xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(localName));
}

String Content(const xmlNode* n) {
  std::unique_ptr<xmlChar, XmlCharDeleter> text(xmlNodeGetContent(n));
  return Trim(FromXml(text.get()));
}

int LineOf(const xmlNode* n) {
  const long line = xmlGetLineNo(n);
  return line > 0 && line < INT_MAX ? static_cast<int>(line) : 0;
}

const xmlNode* FirstChild(const xmlNode* n, const char* localName) {
  for (const xmlNode* c = n->children; c != nullptr; c = c->next)
    if (IsElement(c, localName)) return c;
  return nullptr;
}

// The first error libxml2 reports: later ones only follow from it.
struct FirstError {
  bool seen = false;
  int line = 0;
  String message;
};

// libxml2 hands the parser context to a context's structured error handler.
void KeepFirstError(void* ctxt, xmlErrorPtr error) {
  auto* first = static_cast<FirstError*>(static_cast<xmlParserCtxt*>(ctxt)->_private);
  if (first == nullptr || first->seen || error == nullptr || error->level < XML_ERR_ERROR) return;
  first->seen = true;
  first->line = error->line;
  if (error->message != nullptr) first->message = Trim(FromUtf8(error->message));
}

}  // namespace

TProjectFile ParseDproj(std::string_view xml, const String& fileName) {
  if (xml.size() > static_cast<size_t>(INT_MAX))
    throw EProjectFileError(fileName, 0, u"the file is too large for a project file");
  std::unique_ptr<xmlParserCtxt, CtxtDeleter> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw Exception(u"Out of memory while reading \"" + fileName + u"\".");
  // No network, no entity substitution, no output to stderr: errors are
  // taken from the context and reported with the file name.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  FirstError first;
  ctxt->sax->serror = KeepFirstError;
  ctxt->_private = &first;
  const std::string url = ToUtf8(fileName);
  std::unique_ptr<xmlDoc, DocDeleter> doc(xmlCtxtReadMemory(
      ctxt.get(), xml.data(), static_cast<int>(xml.size()), url.c_str(), nullptr, options));
  if (!doc) {
    const String what = first.message.empty() ? String(u"not well-formed XML") : first.message;
    throw EProjectFileError(fileName, first.line, u"XML error: " + what);
  }

  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || !IsElement(root, "Project"))
    throw EProjectFileError(fileName, root != nullptr ? LineOf(root) : 1,
                            u"not a project file: the root element is <" +
                                FromXml(root ? root->name : nullptr) + u">, <Project> expected");

  TProjectFile result;
  for (const xmlNode* group = root->children; group != nullptr; group = group->next) {
    if (IsElement(group, "PropertyGroup") && result.MainSource.empty()) {
      if (const xmlNode* main = FirstChild(group, "MainSource"))
        result.MainSource = ToSlashes(Content(main));
    } else if (IsElement(group, "ItemGroup")) {
      for (const xmlNode* item = group->children; item != nullptr; item = item->next) {
        if (!IsElement(item, "DCCReference")) continue;
        std::unique_ptr<xmlChar, XmlCharDeleter> include(
            xmlGetProp(item, reinterpret_cast<const xmlChar*>("Include")));
        const String path = Trim(FromXml(include.get()));
        if (path.empty())
          throw EProjectFileError(fileName, LineOf(item),
                                  u"a DCCReference item without an Include file name");
        TProjectUnit unit;
        unit.Path = ToSlashes(path);
        unit.UnitName = ExtractBaseName(unit.Path);
        if (const xmlNode* form = FirstChild(item, "Form")) unit.FormName = Content(form);
        unit.Line = LineOf(item);
        result.Units.push_back(std::move(unit));
      }
    }
  }
  return result;
}

TProjectFile ReadDproj(const String& fileName, TFileSystem& fs) {
  return ParseDproj(diskhost::ReadFileBytes(fileName, fs), fileName);
}

}  // namespace mirel
