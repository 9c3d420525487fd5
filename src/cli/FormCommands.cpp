// form-to-text and form-to-binary: the binary form converters on the command
// line.
#include <memory>

#include "cli/CliCommon.h"
#include "files/FileSystem.h"
#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"
#include "rtl/FormText.h"
#include "rtl/TextFile.h"

namespace mirel::cli {

namespace {

struct TFormOptions {
  std::string in;
  std::string out;
  int codePage = 0;
  bool bare = false;
  std::string resourceName;
};

String Path(const std::string& path) {
  return path == "-" ? u"standard input" : FromUtf8(path);
}

int FormToText(const TFormOptions& o) {
  ApplyCodePage(o.codePage);
  const std::string data = ReadInput(o.in);
  if (!IsBinaryForm(data))
    throw TCliError(Path(o.in) +
                        u" is not a binary form file (it begins neither with the resource "
                        u"header FF 0A 00 nor with TPF0); a text form needs no conversion",
                    exitBadInput);
  TBinaryFormKind kind;
  String text;
  try {
    text = BinaryFormToText(data, kind);
  } catch (const EFormFormatError& e) {
    throw TCliError(Path(o.in) + u": " + e.Message(), exitBadInput);
  }
  // Every character of the text is one the code page holds (others were
  // written as #codes), so this encoding is exact.
  WriteOutput(o.out, TEncoding::Default().GetBytes(text));
  return exitOk;
}

// The header to write: --bare and --resource-name win; else the header of the
// binary form that OUT already is (so text -> edit -> binary keeps the file's
// kind and resource name); else a header named after the root class, upper
// case, as the IDE writes form resources.
TBinaryFormKind ChooseKind(const TFormOptions& o, const TFormObjectNode& root) {
  TBinaryFormKind kind;
  if (o.bare) return kind;
  kind.HasHeader = true;
  if (!o.resourceName.empty()) {
    kind.Header.Name = o.resourceName;
    return kind;
  }
  if (o.out != "-") {
    std::string existing;
    if (TFileSystem::Real().ReadFile(FromUtf8(o.out), existing) && IsBinaryForm(existing)) {
      if (!HasResourceHeader(existing)) return TBinaryFormKind();
      try {
        ReadResourceHeader(existing, kind.Header);
        return kind;
      } catch (const EFormFormatError&) {
        // A damaged header is no model; fall back to the usual one.
      }
    }
  }
  kind.Header = TResourceHeader();
  for (char c : root.ClassName)
    kind.Header.Name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  return kind;
}

int FormToBinary(const TFormOptions& o) {
  ApplyCodePage(o.codePage);
  if (o.bare && !o.resourceName.empty())
    throw TCliError(u"--bare and --resource-name exclude each other", exitBadInput);
  const std::string data = ReadInput(o.in);
  if (IsBinaryForm(data))
    throw TCliError(Path(o.in) + u" is already a binary form file", exitBadInput);
  std::string binary;
  try {
    const TFormObjectNode root = ReadFormText(ReadTextFile(data).Text, TEncoding::Default());
    const TBinaryFormKind kind = ChooseKind(o, root);
    const std::string stream = WriteObjectStream(root);
    binary = kind.HasHeader ? WriteResourceFile(kind.Header, stream) : stream;
  } catch (const EFormFormatError& e) {
    throw TCliError(Path(o.in) + u": " + e.Message(), exitBadInput);
  }
  WriteOutput(o.out, binary);
  return exitOk;
}

void AddInOut(CLI::App& c, TFormOptions& o, const char* inWhat, const char* outWhat) {
  c.add_option("IN", o.in, inWhat)->required()->type_name("");
  c.add_option("OUT", o.out, outWhat)->required()->type_name("");
}

}  // namespace

void AddFormCommands(CLI::App& app, TCommandAction& action) {
  auto options = std::make_shared<TFormOptions>();

  CLI::App* toText =
      app.add_subcommand("form-to-text", "Convert a binary form file (.dfm/.nfm) into form text");
  const std::string toTextAbout =
      "Convert a binary form file into the form text that the IDE shows with \"View as "
      "Text\".\n"
      "IN may be a binary form with the 16-bit resource header (FF 0A 00 ...) or a bare "
      "object stream (TPF0 ...).\n"
      "Strings and names are decoded with the code page (--codepage); characters a wide "
      "string holds beyond ASCII are written as #nnn codes.\n"
      "The text converts back to the same bytes with form-to-binary.\n\n";
  AddInOut(*toText, *options, "Binary form file to read ('-' for standard input)",
           "Text file to write, replaced atomically ('-' for standard output)");
  AddCodePageOption(*toText, options->codePage);
  toText->footer(toTextAbout +
                 "Examples:\n"
                 "  mirel-migrate form-to-text Main.dfm Main.txt\n"
                 "  mirel-migrate form-to-text --codepage 1251 Orders.dfm -\n"
                 "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage or a "
                 "damaged form (the message names the byte offset).");
  toText->callback([options, &action] { action = [options] { return FormToText(*options); }; });

  CLI::App* toBinary =
      app.add_subcommand("form-to-binary", "Convert form text into a binary form file (.dfm/.nfm)");
  const std::string toBinaryAbout =
      "Convert form text (object Form1: TForm1 ... end) into a binary form file.\n"
      "IN is read as UTF-16 after an FF FE mark, UTF-8 after EF BB BF, else in the code "
      "page (--codepage).\n"
      "OUT gets the 16-bit resource header that the IDE writes, unless --bare is given. When "
      "OUT already is a binary form, its kind and resource name are kept, so converting a "
      "form to text, editing it and converting it back gives a file like the original.\n"
      "Otherwise the resource is named after the form's class in upper case (TFORM1).\n\n";
  AddInOut(*toBinary, *options, "Form text file to read ('-' for standard input)",
           "Binary form file to write, replaced atomically ('-' for standard output)");
  AddCodePageOption(*toBinary, options->codePage);
  toBinary->add_flag("--bare", options->bare,
                     "Write the bare object stream (TPF0 ...) without a resource header");
  toBinary
      ->add_option("--resource-name", options->resourceName,
                   "Name of the form resource in the header (default: see above)")
      ->type_name("NAME");
  toBinary->footer(
      toBinaryAbout +
      "Examples:\n"
      "  mirel-migrate form-to-binary Main.txt Main.dfm\n"
      "  mirel-migrate form-to-binary --bare Main.txt Main.bin\n"
      "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage or text that "
      "is not a form (the message names line and column).");
  toBinary->callback([options, &action] { action = [options] { return FormToBinary(*options); }; });
}

}  // namespace mirel::cli
