#include "gen/TypeLibraryUnit.h"

#include <cstdio>

#include "gen/Random.h"

namespace mirel::bench {

namespace {

const char* const kNouns[] = {"Document", "Range",   "Field",    "Record",  "Window",
                              "Sheet",    "Chart",   "Table",    "Column",  "Style",
                              "Command",  "Binding", "Property", "Section", "Shape"};
const char* const kVerbs[] = {"Get", "Add", "Remove", "Open", "Close", "Refresh", "Find", "Move"};
const char* const kTypes[] = {"WideString", "Integer",   "WordBool", "OleVariant",
                              "Double",     "IDispatch", "TDateTime"};
// Help strings of the library, some in German and French as localized
// libraries ship them: Windows-1252 bytes.
const char* const kHelp[] = {
    "Gibt die Gr\xF6\xDF"
    "e des Bereichs zur\xFC"
    "ck",
    "Renvoie la cha\xEEne de caract\xE8res affich\xE9"
    "e",
    "Returns the collection of items", "\xC4ndert die Auswahl des aktuellen Elements",
    "Sets the caption shown in the title bar"};

std::string Guid(TRandom& r) {
  char s[48];
  std::snprintf(s, sizeof s, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(r.Next()),
                r.Below(0x10000), r.Below(0x10000), r.Below(0x10000),
                static_cast<unsigned long long>(r.Next() & 0xFFFFFFFFFFFFull));
  return s;
}

}  // namespace

std::string TypeLibraryUnit(uint64_t seed, const std::string& name, size_t targetBytes) {
  TRandom r(seed);
  std::string out = "unit " + name + ";\r\n\r\n";
  out +=
      "// Imported from the type library of an automation server. Regenerated\r\n"
      "// whenever the library changes: edits here are lost.\r\n\r\n"
      "{$TYPEDADDRESS OFF}\r\n{$WARN SYMBOL_PLATFORM OFF}\r\n{$WRITEABLECONST ON}\r\n\r\n"
      "interface\r\n\r\nuses\r\n  Windows, ActiveX, Classes, Graphics, OleServer, StdVCL, "
      "Variants;\r\n\r\nconst\r\n  LIBID_" +
      name + ": TGUID = '" + Guid(r) + "';\r\n\r\ntype\r\n";
  std::string implementation = "implementation\r\n\r\nuses\r\n  ComObj;\r\n\r\n";
  for (int n = 0; out.size() + implementation.size() < targetBytes; ++n) {
    const std::string noun = std::string(r.Pick(kNouns)) + std::to_string(n);
    const std::string intf = "I" + noun;
    out += "// *********************************************************************//\r\n";
    out += "// Interface: " + intf + "\r\n// Help:      " + r.Pick(kHelp) + "\r\n";
    out += "// *********************************************************************//\r\n";
    out += "  " + intf + " = interface(IDispatch)\r\n    ['" + Guid(r) + "']\r\n";
    std::string disp = "  " + intf + "Disp = dispinterface\r\n    ['" + Guid(r) + "']\r\n";
    const int members = r.Range(4, 40);
    for (int m = 0; m < members; ++m) {
      const std::string type = r.Pick(kTypes);
      const std::string member = std::string(r.Pick(kVerbs)) + r.Pick(kNouns) + std::to_string(m);
      const int dispid = 0x60020000 + m;
      char id[16];
      std::snprintf(id, sizeof id, "$%08X", dispid);
      if (r.Chance(50)) {
        out += "    function Get_" + member + ": " + type + "; safecall;\r\n";
        out += "    procedure Set_" + member + "(const Value: " + type + "); safecall;\r\n";
        out += "    property " + member + ": " + type + " read Get_" + member + " write Set_" +
               member + ";\r\n";
        disp += "    property " + member + ": " + type + " dispid " + id + ";\r\n";
      } else {
        const std::string params = "const Index: OleVariant; var Count: Integer; Flags: " + type;
        out += "    function " + member + "(" + params + "): " + type + "; safecall;\r\n";
        disp += "    function " + member + "(" + params + "): " + type + "; dispid " + id + ";\r\n";
      }
    }
    out += "  end;\r\n\r\n" + disp + "  end;\r\n\r\n";
    out += "  Co" + noun + " = class\r\n    class function Create: " + intf +
           ";\r\n    class function CreateRemote(const MachineName: string): " + intf +
           ";\r\n  end;\r\n\r\n";
    implementation += "class function Co" + noun + ".Create: " + intf +
                      ";\r\nbegin\r\n  Result := CreateComObject(CLASS_" + noun + ") as " + intf +
                      ";\r\nend;\r\n\r\n";
    implementation += "class function Co" + noun +
                      ".CreateRemote(const MachineName: string): " + intf +
                      ";\r\nbegin\r\n  Result := CreateRemoteComObject(MachineName, CLASS_" + noun +
                      ") as " + intf + ";\r\nend;\r\n\r\n";
  }
  return out + implementation + "end.\r\n";
}

}  // namespace mirel::bench
