#include "gen/ProjectGenerator.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "gen/Random.h"
#include "gen/TypeLibraryUnit.h"
#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"

namespace mirel::bench {

namespace {

// Salts that keep the streams of one file's parts apart.
constexpr uint64_t kSaltProfile = 1, kSaltForm = 2, kSaltUnit = 3, kSaltShape = 4;

enum class TProfile { BDE, ADO, None };

const char* const kEntities[] = {
    "Customers", "Orders",   "Invoices", "Products",  "Suppliers", "Employees", "Payments",
    "Shipping",  "Stock",    "Reports",  "Settings",  "Ledger",    "Accounts",  "Contacts",
    "Warehouse", "Returns",  "Pricing",  "Taxes",     "Audit",     "Users",     "Branches",
    "Regions",   "Vehicles", "Projects", "Contracts", "Budget",    "Assets",    "Tickets"};

const char* const kColumns[] = {"ID",         "NAME",       "CITY",     "COUNTRY", "PHONE",
                                "CREATED_AT", "AMOUNT",     "STATUS",   "CUST_NO", "ORDER_NO",
                                "QTY",        "UNIT_PRICE", "DISCOUNT", "NOTES",   "EMAIL",
                                "ZIP",        "REGION_ID",  "DUE_DATE", "PAID",    "CURRENCY"};

// Latin-1 words (Windows-1252 bytes) for captions and comments, so that the
// code page matters.
const char* const kWords[] = {"Kunde",
                              "Bestellung",
                              "Rechnung",
                              "Lieferant",
                              "Pr\xE9sentation",
                              "Cr\xE9"
                              "dit",
                              "Soci\xE9t\xE9",
                              "Adresse",
                              "Stra\xDF"
                              "e",
                              "M\xFCnchen",
                              "Z\xFCrich",
                              "G\xF6teborg",
                              "Espa\xF1"
                              "a",
                              "Menge",
                              "Betrag",
                              "Datum",
                              "Status",
                              "Notiz",
                              "Filiale",
                              "R\xE9gion",
                              "Ma\xE7on",
                              "S\xE3o Paulo",
                              "\xC5lesund",
                              "Preis"};

const char* const kProse[] = {
    "the customer list is filtered on the server", "keeps the last selection between calls",
    "opened on demand to keep start-up fast",      "the totals are recomputed after every post",
    "rows come back ordered by the primary key",   "must stay in step with the report layout",
    "closed before the database is disconnected",  "used by the nightly export as well"};

std::string Str(int n) {
  return std::to_string(n);
}

std::string Indent(int level) {
  return std::string(static_cast<size_t>(level) * 2, ' ');
}

// Form text as the IDE writes it: two spaces per level, CR LF lines, strings
// longer than 64 characters split into '+'-joined pieces on lines of their
// own. Strings are Windows-1252 bytes; "wide" forms write the bytes from 0x80
// up as #codes, as Unicode-era IDEs do, the others write them literally.
class TFormWriter {
 public:
  explicit TFormWriter(bool wide) : wide_(wide) {}

  std::string out;

  void Begin(const std::string& keyword, const std::string& name, const std::string& cls) {
    out += Indent(level_) + keyword + " " + name + ": " + cls + "\r\n";
    ++level_;
  }
  void End() {
    --level_;
    out += Indent(level_) + "end\r\n";
  }
  int Level() const { return level_; }

  void Prop(const std::string& name, const std::string& value) {
    out += Indent(level_) + name + " = " + value + "\r\n";
  }
  void Prop(const std::string& name, int value) { Prop(name, Str(value)); }
  void PropStr(const std::string& name, const std::string& s) {
    out += Indent(level_) + name + " = " + Literal(s, level_) + "\r\n";
  }
  void PropLines(const std::string& name, const std::vector<std::string>& lines) {
    out += Indent(level_) + name + " = (";
    for (const std::string& line : lines)
      out += "\r\n" + Indent(level_ + 1) + Literal(line, level_ + 1);
    out += ")\r\n";
  }
  void PropBinary(const std::string& name, const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    out += Indent(level_) + name + " = {";
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes.size() >= 32 && i % 32 == 0) out += "\r\n" + Indent(level_ + 1);
      const auto b = static_cast<unsigned char>(bytes[i]);
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
    out += "}\r\n";
  }
  // A collection: each item is a list of (name, value text) pairs written as
  // they are.
  using TItem = std::vector<std::pair<std::string, std::string>>;
  void PropCollection(const std::string& name, const std::vector<TItem>& items) {
    out += Indent(level_) + name + " = <";
    for (const TItem& item : items) {
      out += "\r\n" + Indent(level_ + 1) + "item\r\n";
      for (const auto& [prop, value] : item)
        out += Indent(level_ + 2) + prop + " = " + value + "\r\n";
      out += Indent(level_ + 1) + "end";
    }
    out += ">\r\n";
  }

  // The literal of s for a value whose first line is at `level`.
  std::string Literal(const std::string& s, int level) const {
    if (s.empty()) return "''";
    std::string r;
    const bool split = s.size() > 64;
    if (split) r += "\r\n" + Indent(level + 1);
    bool quoted = false;
    size_t onLine = 0;
    for (const char ch : s) {
      if (onLine == 64) {
        if (quoted) r += '\'';
        quoted = false;
        r += " +\r\n" + Indent(level + 1);
        onLine = 0;
      }
      const auto c = static_cast<unsigned char>(ch);
      const bool plain = c >= 0x20 && c != 0x7F && (!wide_ || c < 0x7F);
      if (plain) {
        if (!quoted) r += '\'';
        quoted = true;
        r += ch;
        if (ch == '\'') r += '\'';
      } else {
        if (quoted) r += '\'';
        quoted = false;
        r += "#" + Str(c);
      }
      ++onLine;
    }
    if (quoted) r += '\'';
    return r;
  }

 private:
  bool wide_;
  int level_ = 0;
};

// Builds one form: its text and the components the unit must declare.
class TFormBuilder {
 public:
  TFormBuilder(uint64_t seed, TProfile profile, const std::string& unitName)
      : r_(seed), profile_(profile), w_(r_.Chance(40)), unit_(unitName) {}

  std::string Build(std::vector<TGenComponent>& components) {
    const std::string cls = "Tfrm" + unit_;
    const bool large = r_.Chance(12);
    w_.Begin(r_.Chance(5) ? "inherited" : "object", "frm" + unit_, cls);
    FormProperties();
    const bool dataModule = r_.Chance(15);
    if (!dataModule) {
      const int containers = r_.Range(1, large ? 8 : 3);
      for (int i = 0; i < containers; ++i) Visual(1, large);
    }
    if (profile_ == TProfile::BDE) BdeData(large || dataModule);
    if (profile_ == TProfile::ADO) AdoData(large || dataModule);
    if (r_.Chance(40)) Menu();
    if (r_.Chance(30)) Actions();
    if (r_.Chance(20)) ImageList();
    w_.End();
    components = std::move(components_);
    return std::move(w_.out);
  }

  // A form of the real shape, about targetBytes long: the form's own
  // properties, a few mapped objects (the profile's data module part), now and
  // then one in a panel, some `inherited` ones in an inherited form, then
  // ordinary controls until the size is reached.
  std::string BuildReal(std::vector<TGenComponent>& components, size_t targetBytes,
                        bool inherited) {
    const std::string cls = "Tfrm" + unit_;
    w_.Begin(inherited ? "inherited" : "object", "frm" + unit_, cls);
    FormProperties();
    if (profile_ == TProfile::BDE) BdeData(false);
    if (profile_ == TProfile::ADO) AdoData(false);
    if (profile_ != TProfile::None) {
      if (r_.Chance(25)) NestedQuery(inherited);
      if (inherited && r_.Chance(60)) InheritedQuery();
    }
    // Small steps (no large containers or pictures), so that the form ends
    // close to its size.
    while (w_.out.size() < targetBytes) Visual(1, false);
    if (r_.Chance(30)) Menu();
    if (r_.Chance(20)) Actions();
    w_.End();
    components = std::move(components_);
    return std::move(w_.out);
  }

 private:
  // A query inside a panel (in an inherited form, the panel and the query
  // may come from the ancestor).
  void NestedQuery(bool inherited) {
    const bool fromAncestor = inherited && r_.Chance(50);
    const std::string keyword = fromAncestor ? "inherited" : "object";
    const std::string panel = NewName("pnlData" + Entity());
    if (!fromAncestor) components_.push_back({panel, "TPanel"});
    w_.Begin(keyword, panel, "TPanel");
    Bounds();
    w_.Prop("Caption", "''");
    w_.Prop("TabOrder", r_.Below(10));
    const std::string entity = Entity();
    const std::string cls = profile_ == TProfile::ADO ? "TADOQuery" : "TQuery";
    const std::string query = NewName("qryPanel" + entity);
    if (!fromAncestor) components_.push_back({query, cls});
    w_.Begin(keyword, query, cls);
    if (profile_ != TProfile::ADO) w_.PropStr("DatabaseName", entity + "DB");
    w_.PropLines("SQL.Strings", Sql(entity));
    Position(200, 200);
    w_.End();
    w_.End();
  }

  // A query the ancestor declares, of which this form changes the SQL and
  // the place (the unit does not declare it again).
  void InheritedQuery() {
    const std::string entity = Entity();
    const std::string cls = profile_ == TProfile::ADO ? "TADOQuery" : "TQuery";
    w_.Begin("inherited", NewName("qryBase" + entity), cls);
    w_.PropLines("SQL.Strings", Sql(entity));
    Position(200, 200);
    w_.End();
  }

  std::string NewName(const std::string& prefix) {
    std::string name = prefix;
    for (int n = 2; !names_.insert(name).second; ++n) name = prefix + Str(n);
    return name;
  }
  void Begin(const std::string& prefix, const std::string& cls) {
    const std::string name = NewName(prefix);
    components_.push_back({name, cls});
    w_.Begin("object", name, cls);
  }
  std::string Entity() { return r_.Pick(kEntities); }
  std::string Column() { return r_.Pick(kColumns); }
  std::string Word() { return r_.Pick(kWords); }
  std::string Caption() {
    std::string s = Word();
    for (int i = r_.Below(3); i > 0; --i) {
      s += ' ';
      s += Word();
    }
    return s;
  }
  void Position(int maxLeft = 700, int maxTop = 500) {
    w_.Prop("Left", r_.Range(0, maxLeft));
    w_.Prop("Top", r_.Range(0, maxTop));
  }
  void Bounds() {
    Position();
    w_.Prop("Width", r_.Range(40, 400));
    w_.Prop("Height", r_.Range(17, 300));
  }
  void Font() {
    w_.Prop("Font.Charset", "DEFAULT_CHARSET");
    w_.Prop("Font.Color", r_.Chance(80) ? "clWindowText" : "clNavy");
    w_.Prop("Font.Height", -r_.Range(11, 16));
    w_.PropStr("Font.Name", r_.Chance(70) ? "MS Sans Serif" : "Tahoma");
    w_.Prop("Font.Style", r_.Chance(70) ? "[]" : "[fsBold]");
  }

  void FormProperties() {
    Bounds();
    w_.PropStr("Caption", Caption());
    w_.Prop("Color", "clBtnFace");
    Font();
    w_.Prop("OldCreateOrder", "False");
    w_.Prop("Position", "poScreenCenter");
    w_.Prop("OnCreate", "FormCreate");
    if (r_.Chance(50)) w_.Prop("OnClose", "FormClose");
    w_.Prop("PixelsPerInch", 96);
    w_.Prop("TextHeight", 13);
  }

  void Visual(int depth, bool large) {
    // Containers get rarer with depth, so that a form stays the size of a
    // real one while some branches still nest five or six levels deep.
    static const int kContainerPercent[] = {60, 50, 35, 20, 12, 8, 0};
    if (r_.Chance(kContainerPercent[depth < 6 ? depth : 6])) {
      Container(depth, large);
      return;
    }
    switch (r_.Below(12)) {
      case 0:
      case 1:
        Begin("lbl" + Entity(), "TLabel");
        Position();
        w_.PropStr("Caption", Caption() + ":");
        if (r_.Chance(30)) w_.Prop("FocusControl", "ed" + Entity());
        w_.End();
        break;
      case 2:
        Begin("ed" + Entity(), "TEdit");
        Bounds();
        w_.Prop("TabOrder", r_.Below(20));
        if (r_.Chance(30)) w_.PropStr("Hint", Caption() + " (" + r_.Pick(kProse) + ")");
        w_.End();
        break;
      case 3:
        Begin("ed" + Entity(), "TDBEdit");
        Bounds();
        w_.Prop("DataField", "'" + Column() + "'");
        w_.Prop("DataSource", "ds" + Entity());
        w_.Prop("TabOrder", r_.Below(20));
        w_.End();
        break;
      case 4:
      case 5:
        Grid();
        break;
      case 6:
        Begin("bt" + Entity(), "TButton");
        Bounds();
        w_.PropStr("Caption", "&" + Word());
        w_.Prop("TabOrder", r_.Below(20));
        w_.Prop("OnClick", "bt" + Entity() + "Click");
        w_.End();
        break;
      case 7: {
        Begin("cb" + Entity(), "TComboBox");
        Bounds();
        w_.Prop("Style", "csDropDownList");
        w_.Prop("ItemHeight", 13);
        std::vector<std::string> items;
        for (int i = r_.Range(2, 12); i > 0; --i) items.push_back(Caption());
        w_.PropLines("Items.Strings", items);
        w_.Prop("TabOrder", r_.Below(20));
        w_.End();
        break;
      }
      case 8: {
        Begin("mm" + Entity(), "TMemo");
        Bounds();
        std::vector<std::string> lines;
        for (int i = r_.Range(1, 8); i > 0; --i)
          lines.push_back(Caption() + ": " + r_.Pick(kProse) + ", " + r_.Pick(kProse));
        w_.PropLines("Lines.Strings", lines);
        w_.Prop("ScrollBars", "ssVertical");
        w_.Prop("TabOrder", r_.Below(20));
        w_.End();
        break;
      }
      case 9:
        Image(large);
        break;
      case 10:
        Begin("nav" + Entity(), "TDBNavigator");
        Bounds();
        w_.Prop("DataSource", "ds" + Entity());
        w_.Prop("VisibleButtons", "[nbFirst, nbPrior, nbNext, nbLast, nbPost, nbCancel]");
        w_.Prop("TabOrder", r_.Below(20));
        w_.End();
        break;
      default:
        Begin("chk" + Entity(), "TCheckBox");
        Bounds();
        w_.PropStr("Caption", Caption());
        w_.Prop("Checked", r_.Chance(50) ? "True" : "False");
        w_.Prop("State", "cbChecked");
        w_.Prop("TabOrder", r_.Below(20));
        w_.End();
        break;
    }
  }

  void Container(int depth, bool large) {
    const int kind = r_.Below(4);
    if (kind == 0) {
      Begin("pc" + Entity(), "TPageControl");
      Bounds();
      w_.Prop("ActivePage", "ts" + Entity());
      w_.Prop("TabOrder", r_.Below(10));
      for (int i = r_.Range(2, 4); i > 0; --i) {
        Begin("ts" + Entity(), "TTabSheet");
        w_.PropStr("Caption", Word());
        for (int j = r_.Range(1, large ? 6 : 3); j > 0; --j) Visual(depth + 2, large);
        w_.End();
      }
      w_.End();
      return;
    }
    if (kind == 1) {
      Begin("gb" + Entity(), "TGroupBox");
      Bounds();
      w_.PropStr("Caption", " " + Caption() + " ");
      w_.Prop("TabOrder", r_.Below(10));
    } else {
      Begin("pnl" + Entity(), "TPanel");
      Bounds();
      w_.Prop("Align", r_.Chance(50) ? "alTop" : "alClient");
      w_.Prop("BevelOuter", "bvNone");
      w_.Prop("Caption", "''");
      w_.Prop("TabOrder", r_.Below(10));
    }
    for (int j = r_.Range(1, large ? 7 : 4); j > 0; --j) Visual(depth + 1, large);
    w_.End();
  }

  void Grid() {
    Begin("grd" + Entity(), "TDBGrid");
    Bounds();
    w_.Prop("DataSource", "ds" + Entity());
    w_.Prop("Options", "[dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs]");
    w_.Prop("TabOrder", r_.Below(20));
    w_.Prop("TitleFont.Charset", "DEFAULT_CHARSET");
    w_.Prop("TitleFont.Style", "[]");
    std::vector<TFormWriter::TItem> columns;
    for (int i = r_.Range(2, 12); i > 0; --i) {
      TFormWriter::TItem item = {{"Expanded", "False"},
                                 {"FieldName", "'" + Column() + "'"},
                                 {"Title.Caption", w_.Literal(Word(), 0)},
                                 {"Width", Str(r_.Range(30, 200))},
                                 {"Visible", "True"}};
      if (r_.Chance(20)) item.insert(item.begin() + 2, {"ReadOnly", "True"});
      columns.push_back(std::move(item));
    }
    w_.PropCollection("Columns", columns);
    w_.End();
  }

  // Picture data: a class name, then bitmap-like bytes with long runs, as
  // real pictures have.
  void Image(bool large) {
    Begin("img" + Entity(), "TImage");
    Bounds();
    std::string data = "\x07TBitmap";
    const int size = r_.Range(200, large ? 16000 : 4000);
    data += "BM";
    for (int i = 0; i < size; ++i)
      data += static_cast<char>(r_.Chance(60) ? 0xFF : static_cast<int>(r_.Next() & 0xFF));
    w_.PropBinary("Picture.Data", data);
    w_.Prop("Stretch", "True");
    w_.End();
  }

  void ImageList() {
    Begin("il" + Entity(), "TImageList");
    Position();
    std::string data = "IL";
    for (int i = r_.Range(500, 6000); i > 0; --i) data += static_cast<char>(r_.Next() & 0xFF);
    w_.PropBinary("Bitmap", data);
    w_.End();
  }

  void Menu() {
    Begin("pm" + Entity(), "TPopupMenu");
    Position();
    for (int i = r_.Range(2, 8); i > 0; --i) {
      Begin("mi" + Entity(), "TMenuItem");
      w_.PropStr("Caption", "&" + Word());
      if (r_.Chance(30)) {
        for (int j = r_.Range(1, 4); j > 0; --j) {
          Begin("mi" + Entity(), "TMenuItem");
          w_.PropStr("Caption", Caption());
          w_.Prop("OnClick", "mi" + Entity() + "Click");
          w_.End();
        }
      } else {
        w_.Prop("OnClick", "mi" + Entity() + "Click");
      }
      w_.End();
    }
    w_.End();
  }

  void Actions() {
    Begin("al" + Entity(), "TActionList");
    Position();
    for (int i = r_.Range(2, 10); i > 0; --i) {
      Begin("act" + Entity(), "TAction");
      w_.PropStr("Caption", Caption());
      w_.Prop("ShortCut", r_.Range(16384, 16474));
      w_.Prop("OnExecute", "act" + Entity() + "Execute");
      w_.End();
    }
    w_.End();
  }

  // SELECT statements with one line per clause, and now and then a line far
  // longer than 64 characters.
  std::vector<std::string> Sql(const std::string& table) {
    std::vector<std::string> lines;
    std::string select = "select ";
    for (int i = r_.Range(2, 14); i > 0; --i) select += Column() + (i > 1 ? ", " : "");
    if (r_.Chance(50)) {
      lines.push_back(select);
    } else {
      lines.push_back("select");
      for (int i = r_.Range(2, 10); i > 0; --i)
        lines.push_back("  t." + Column() + (i > 1 ? "," : ""));
    }
    lines.push_back("from " + table + " t");
    if (r_.Chance(50)) lines.push_back("  left join " + Entity() + " x on x.ID = t." + Column());
    if (r_.Chance(60))
      lines.push_back("where t." + Column() + " = :" + Column() + " and t.STATUS <> 'X'");
    if (r_.Chance(30))
      lines.push_back("  and t." + Column() + " in (select ID from " + Entity() +
                      " where REGION_ID = :REGION_ID and CREATED_AT >= :FROM_DATE and " +
                      "CREATED_AT < :TO_DATE)");
    if (r_.Chance(40)) lines.push_back("order by t." + Column());
    return lines;
  }

  void Fields(const std::string& owner, int count) {
    static const char* const kFieldClasses[] = {"TIntegerField",  "TStringField",
                                                "TFloatField",    "TDateTimeField",
                                                "TCurrencyField", "TBooleanField"};
    for (int i = 0; i < count; ++i) {
      const std::string column = Column();
      const std::string cls = r_.Pick(kFieldClasses);
      Begin(owner + column, cls);
      w_.PropStr("DisplayLabel", Word());
      w_.Prop("FieldName", "'" + column + "'");
      if (cls == "TStringField") w_.Prop("Size", r_.Range(1, 120));
      if (cls == "TFloatField") w_.PropStr("DisplayFormat", "#,##0.00");
      w_.End();
    }
  }

  void BdeData(bool many) {
    const std::string dbName = Entity() + "DB";
    if (r_.Chance(50)) {
      Begin("db" + Entity(), "TDatabase");
      w_.PropStr("AliasName", dbName);
      w_.PropStr("DatabaseName", dbName);
      w_.Prop("LoginPrompt", "False");
      std::vector<std::string> params = {"DATABASE NAME=" + dbName,
                                         "SERVER NAME=SQLSRV01",
                                         "USER NAME=app",
                                         "OPEN MODE=READ/WRITE",
                                         "SQLPASSTHRU MODE=SHARED AUTOCOMMIT",
                                         "PASSWORD=secret"};
      w_.PropLines("Params.Strings", params);
      w_.PropStr("SessionName", "Default");
      w_.Prop("TransIsolation", "tiReadCommitted");
      Position(200, 200);
      w_.End();
    }
    for (int i = r_.Range(1, many ? 14 : 5); i > 0; --i) {
      const std::string entity = Entity();
      switch (r_.Below(8)) {
        case 0: {
          Begin("tbl" + entity, r_.Chance(15) ? "TwwTable" : "TTable");
          w_.PropStr("DatabaseName", dbName);
          w_.PropStr("TableName", "dbo." + entity);
          if (r_.Chance(40)) {
            w_.PropStr("IndexFieldNames", Column());
            w_.PropStr("MasterFields", Column());
            w_.Prop("MasterSource", "ds" + Entity());
          }
          Position(200, 200);
          const std::string owner = components_.back().Name;
          Fields(owner, r_.Below(6));
          w_.End();
          break;
        }
        case 1: {
          Begin("sp" + entity, r_.Chance(15) ? "TwwStoredProc" : "TStoredProc");
          w_.PropStr("DatabaseName", dbName);
          w_.PropStr("StoredProcName", "dbo.up_" + entity + ";1");
          Position(200, 200);
          std::vector<TFormWriter::TItem> params;
          for (int j = r_.Range(1, 5); j > 0; --j)
            params.push_back({{"DataType", "ftInteger"},
                              {"Name", "'@" + Column() + "'"},
                              {"ParamType", j == 1 ? "ptResult" : "ptInput"}});
          w_.PropCollection("ParamData", params);
          w_.End();
          break;
        }
        case 2:
          Begin("upd" + entity, "TUpdateSQL");
          w_.PropLines("ModifySQL.Strings",
                       {"update " + entity, "set", "  " + Column() + " = :" + Column() + ",",
                        "  " + Column() + " = :" + Column(), "where", "  ID = :OLD_ID"});
          w_.PropLines("InsertSQL.Strings",
                       {"insert into " + entity, "  (" + Column() + ", " + Column() + ")", "values",
                        "  (:" + Column() + ", :" + Column() + ")"});
          w_.PropLines("DeleteSQL.Strings", {"delete from " + entity, "where", "  ID = :OLD_ID"});
          Position(200, 200);
          w_.End();
          break;
        case 3:
          Begin("ds" + entity, r_.Chance(20) ? "TwwDataSource" : "TDataSource");
          w_.Prop("DataSet", "qry" + entity);
          Position(200, 200);
          w_.End();
          break;
        default: {
          Begin("qry" + entity, r_.Chance(10) ? "TwwQuery" : "TQuery");
          const std::string owner = components_.back().Name;
          if (r_.Chance(20)) w_.Prop("CachedUpdates", "True");
          w_.PropStr("DatabaseName", dbName);
          if (r_.Chance(25)) w_.Prop("DataSource", "ds" + Entity());
          w_.PropLines("SQL.Strings", Sql(entity));
          if (r_.Chance(20)) w_.Prop("UpdateObject", "upd" + entity);
          Position(200, 200);
          if (r_.Chance(40)) {
            std::vector<TFormWriter::TItem> params;
            for (int j = r_.Range(1, 3); j > 0; --j)
              params.push_back({{"DataType", "ftInteger"},
                                {"Name", "'" + Column() + "'"},
                                {"ParamType", "ptInput"}});
            w_.PropCollection("ParamData", params);
          }
          Fields(owner, r_.Below(8));
          w_.End();
          break;
        }
      }
    }
    if (r_.Chance(5)) {
      Begin("bm" + Entity(), "TBatchMove");
      w_.Prop("Destination", "tbl" + Entity());
      w_.Prop("Mode", "batAppendUpdate");
      w_.Prop("Source", "qry" + Entity());
      Position(200, 200);
      w_.End();
    }
  }

  void AdoData(bool many) {
    const std::string connection = NewName("con" + Entity());
    components_.push_back({connection, "TADOConnection"});
    w_.Begin("object", connection, "TADOConnection");
    w_.PropStr("ConnectionString",
               "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=app;Initial Catalog=" +
                   Entity() + ";Data Source=SQLSRV01;Use Procedure for Prepare=1;Auto " +
                   "Translate=True;Packet Size=4096;Workstation ID=BUILD01");
    w_.Prop("LoginPrompt", "False");
    w_.PropStr("Provider", "SQLOLEDB.1");
    w_.Prop("IsolationLevel", "ilReadCommitted");
    Position(200, 200);
    w_.End();
    for (int i = r_.Range(1, many ? 12 : 5); i > 0; --i) {
      const std::string entity = Entity();
      switch (r_.Below(6)) {
        case 0:
          Begin("tbl" + entity, "TADOTable");
          w_.Prop("Connection", connection);
          w_.Prop("CursorType", "ctStatic");
          w_.PropStr("TableName", entity);
          Position(200, 200);
          w_.End();
          break;
        case 1:
          Begin("sp" + entity, "TADOStoredProc");
          w_.Prop("Connection", connection);
          w_.PropStr("ProcedureName", "up_" + entity + ";1");
          Position(200, 200);
          w_.End();
          break;
        case 2: {
          Begin("cmd" + entity, r_.Chance(50) ? "TADOCommand" : "TADODataSet");
          w_.Prop("Connection", connection);
          std::string text;
          for (const std::string& line : Sql(entity)) text += line + " ";
          w_.PropStr("CommandText", text);
          w_.End();
          break;
        }
        case 3:
          Begin("ds" + entity, "TDataSource");
          w_.Prop("DataSet", "qry" + entity);
          Position(200, 200);
          w_.End();
          break;
        default: {
          Begin("qry" + entity, "TADOQuery");
          const std::string owner = components_.back().Name;
          w_.Prop("Connection", connection);
          w_.Prop("CursorType", "ctStatic");
          std::vector<TFormWriter::TItem> params;
          for (int j = r_.Range(0, 3); j > 0; --j)
            params.push_back({{"Name", "'" + Column() + "'"},
                              {"Attributes", "[paNullable]"},
                              {"DataType", "ftInteger"},
                              {"Precision", "10"},
                              {"Size", "4"},
                              {"Value", "0"}});
          if (!params.empty()) w_.PropCollection("Parameters", params);
          w_.PropLines("SQL.Strings", Sql(entity));
          Position(200, 200);
          Fields(owner, r_.Below(8));
          w_.End();
          break;
        }
      }
    }
  }

  TRandom r_;
  TProfile profile_;
  TFormWriter w_;
  std::string unit_;
  std::set<std::string> names_;
  std::vector<TGenComponent> components_;
};

TProfile ProfileOf(uint64_t seed) {
  TRandom r(seed);
  const int p = r.Below(100);
  return p < 70 ? TProfile::BDE : p < 90 ? TProfile::ADO : TProfile::None;
}

// Half the units of a real application use no data-access class at all;
// the others mostly the BDE, which a run with the default profile converts.
TProfile RealProfileOf(uint64_t seed) {
  TRandom r(seed);
  const int p = r.Below(100);
  return p < 44 ? TProfile::BDE : p < 50 ? TProfile::ADO : TProfile::None;
}

// Windows-1252 Latin-1 letters to UTF-8 or UTF-16LE; the generator never
// writes the bytes 0x80..0x9F.
std::string Latin1ToUtf8(const std::string& s) {
  std::string r;
  r.reserve(s.size() + s.size() / 16);
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      r += ch;
    } else {
      r += static_cast<char>(0xC0 | (c >> 6));
      r += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return r;
}

std::string Latin1ToUtf16(const std::string& s) {
  std::string r;
  r.reserve(s.size() * 2);
  for (const char ch : s) {
    r += ch;
    r += '\0';
  }
  return r;
}

// The Pascal source of one unit.
class TUnitBuilder {
 public:
  TUnitBuilder(uint64_t seed, TProfile profile, const std::string& name)
      : r_(seed), profile_(profile), name_(name) {}

  // Sets the number of methods instead of drawing it.
  void SetProcedures(int count) { procs_ = count; }
  // A unit without a profile names no data-access class at all (its helper
  // fields are string lists); without this, it still declares a query field.
  void SetPlain() { plain_ = true; }

  std::string Build(const std::vector<TGenComponent>* form) {
    const bool ado = profile_ == TProfile::ADO;
    const bool plain = plain_ && profile_ == TProfile::None;
    const std::string query = plain ? "TStringList" : ado ? "TADOQuery" : "TQuery";
    const std::string table = plain ? "TList" : ado ? "TADOTable" : "TTable";
    out_ += "unit " + name_ + ";\r\n\r\n";
    out_ += "{ " + std::string(r_.Pick(kWords)) + ": " + r_.Pick(kProse) + ".\r\n  The " + query +
            " objects of this unit " + r_.Pick(kProse) + ". }\r\n\r\n";
    out_ += "interface\r\n\r\nuses\r\n";
    std::string uses =
        "  Windows, Messages, SysUtils, Variants, Classes, Graphics, Controls, Forms,\r\n"
        "  Dialogs, DB";
    const bool dataInInterface = profile_ != TProfile::None && r_.Chance(80);
    if (dataInInterface) uses += ado ? ", ADODB" : ", DBTables";
    uses += ", StdCtrls, ExtCtrls, Grids, DBGrids";
    if (r_.Chance(30)) uses += ",\r\n  ComCtrls, Menus, ActnList, ImgList";
    out_ += uses + ";\r\n\r\ntype\r\n";

    const std::string cls = "Tfrm" + name_;
    if (form) {
      out_ += "  " + cls + " = class(TForm)\r\n";
      for (const TGenComponent& c : *form) out_ += "    " + c.Name + ": " + c.ClassName + ";\r\n";
      out_ += "    procedure FormCreate(Sender: TObject);\r\n";
    } else {
      out_ += "  T" + name_ + "Helper = class(TObject)\r\n";
    }
    out_ += "  private\r\n    { Private declarations }\r\n";
    out_ += "    FLookup: " + query + ";\r\n    FCache: TStringList;\r\n";
    const int procs = procs_ >= 0 ? procs_ : r_.Range(2, r_.Chance(10) ? 60 : 20);
    for (int i = 0; i < procs; ++i)
      out_ += "    procedure Step" + Str(i) + "(const AValue: string; ACount: Integer);\r\n";
    out_ += "  public\r\n    { Public declarations }\r\n  end;\r\n\r\n";
    if (form) out_ += "var\r\n  frm" + name_ + ": " + cls + ";\r\n\r\n";
    out_ += "implementation\r\n\r\n";
    if (profile_ != TProfile::None && !dataInInterface)
      out_ += std::string("uses\r\n  ") + (ado ? "ADODB" : "DBTables") + ", Utils;\r\n\r\n";
    if (form) out_ += r_.Chance(70) ? "{$R *.dfm}\r\n\r\n" : "{$R *.DFM}\r\n\r\n";

    const std::string owner = form ? cls : "T" + name_ + "Helper";
    if (form) {
      out_ += "procedure " + owner + ".FormCreate(Sender: TObject);\r\nbegin\r\n";
      for (const TGenComponent& c : *form)
        if (c.ClassName.find("Query") != std::string::npos ||
            c.ClassName.find("Table") != std::string::npos)
          out_ += "  " + c.Name + ".Open; // the " + c.ClassName + " " + r_.Pick(kProse) + "\r\n";
      out_ += "end;\r\n\r\n";
    }
    for (int i = 0; i < procs; ++i) Procedure(owner, i, query, table);
    out_ += "end.\r\n";
    return std::move(out_);
  }

 private:
  void Procedure(const std::string& owner, int i, const std::string& query,
                 const std::string& table) {
    out_ +=
        "procedure " + owner + ".Step" + Str(i) + "(const AValue: string; ACount: Integer);\r\n";
    switch (profile_ == TProfile::None ? 3 + r_.Below(3) : r_.Below(6)) {
      case 0:
        // A query made at run time.
        out_ +=
            "var\r\n  Q: " + query + ";\r\nbegin\r\n  Q := " + query + ".Create(nil);\r\n  try\r\n";
        if (profile_ == TProfile::ADO)
          out_ += "    Q.ConnectionString := FConnectionString;\r\n";
        else
          out_ += "    Q.DatabaseName := '" + std::string(r_.Pick(kEntities)) + "DB';\r\n";
        out_ += "    Q.SQL.Text := 'select " + std::string(r_.Pick(kColumns)) + " from " +
                r_.Pick(kEntities) + " where ID = :ID';\r\n";
        out_ += "    Q.Params[0].AsInteger := ACount;\r\n    Q.Open;\r\n";
        out_ +=
            "    while not Q.Eof do\r\n    begin\r\n      FCache.Add(Q.Fields[0].AsString);\r\n"
            "      Q.Next;\r\n    end;\r\n  finally\r\n    Q.Free;\r\n  end;\r\nend;\r\n\r\n";
        break;
      case 1:
        // Errors of the data-access layer.
        out_ += "begin\r\n  try\r\n    FLookup.Close;\r\n    FLookup.Open;\r\n  except\r\n";
        out_ += profile_ == TProfile::BDE
                    ? "    on E: EDBEngineError do\r\n      ShowMessage('Database error: ' + "
                      "E.Message + #13#10 + AValue);\r\n"
                    : "    on E: EDatabaseError do\r\n      ShowMessage(E.Message);\r\n";
        out_ += "  end;\r\nend;\r\n\r\n";
        break;
      case 2:
        out_ += "var\r\n  T: " + table + ";\r\nbegin\r\n  { a " + table +
                " is enough here: " + r_.Pick(kProse) + " }\r\n";
        out_ += "  T := " + table + ".Create(Self);\r\n  T.TableName := '" +
                std::string(r_.Pick(kEntities)) + "';\r\n  T.Open;\r\n  T.Free;\r\nend;\r\n\r\n";
        break;
      default: {
        // Plain code, the bulk of a real unit.
        out_ += "var\r\n  I, Total: Integer;\r\n  S: string;\r\nbegin\r\n";
        out_ += "  (* " + std::string(r_.Pick(kWords)) + ": " + r_.Pick(kProse) + " *)\r\n";
        out_ += "  Total := 0;\r\n  S := '';\r\n";
        for (int k = r_.Range(2, 8); k > 0; --k) {
          switch (r_.Below(5)) {
            case 0:
              out_ += "  for I := 0 to ACount - 1 do\r\n    Inc(Total, I * " +
                      Str(r_.Range(2, 99)) + " + $" + Str(r_.Range(10, 99)) + ");\r\n";
              break;
            case 1:
              out_ += "  if (Total > " + Str(r_.Range(100, 99999)) +
                      ") and (AValue <> '') then\r\n" +
                      "    S := Format('%s: %d (%s)', [AValue, Total, '" + r_.Pick(kWords) +
                      "'])\r\n  else\r\n    S := S + #13#10 + IntToStr(Total);\r\n";
              break;
            case 2:
              out_ += "  // " + std::string(r_.Pick(kProse)) +
                      "\r\n  case Total mod 3 of\r\n"
                      "    0: S := UpperCase(S);\r\n    1: S := Trim(S);\r\n  else\r\n"
                      "    S := Copy(S, 1, " +
                      Str(r_.Range(5, 80)) + ");\r\n  end;\r\n";
              break;
            case 3:
              out_ += "  FCache.Values['" + std::string(r_.Pick(kColumns)) + "'] := FloatToStr(" +
                      Str(r_.Range(1, 999)) + "." + Str(r_.Range(0, 99)) + "E2 / (Total + 1));\r\n";
              break;
            default:
              out_ += "  while Length(S) < " + Str(r_.Range(8, 64)) + " do\r\n    S := S + '" +
                      r_.Pick(kWords) + "''s';\r\n";
              break;
          }
        }
        out_ += "  FCache.Add(S);\r\nend;\r\n\r\n";
        break;
      }
    }
  }

  TRandom r_;
  TProfile profile_;
  std::string name_;
  std::string out_;
  int procs_ = -1;
  bool plain_ = false;
};

// What the real shape draws for one index, apart from the file contents.
struct TRealTraits {
  bool HasForm = false;
  bool Binary = false;
  bool TypeLibrary = false;
  bool Inherited = false;
  bool Utf8 = false;
  size_t FormBytes = 0;
  size_t TypeLibraryBytes = 0;
  int Procedures = 0;
};

// Type-library imports come at fixed places (one unit in 250), so that a
// project ten times larger holds ten times as many of these few large files.
TRealTraits RealTraits(uint64_t seed, int index) {
  TRandom r(seed);
  TRealTraits t;
  t.TypeLibrary = index % 250 == 117;
  t.HasForm = r.Chance(60) && !t.TypeLibrary;
  t.Binary = r.Chance(27);
  t.Inherited = r.Below(6) == 0;
  t.Utf8 = r.Chance(3);
  t.FormBytes = static_cast<size_t>(r.HeavyTail(2048, 160 * 1024));
  t.TypeLibraryBytes = static_cast<size_t>(r.Range(1024, 2048)) * 1024;
  t.Procedures = static_cast<int>(r.HeavyTail(2, 80));
  return t;
}

}  // namespace

uint64_t TProjectGenerator::FileSeed(int index, uint64_t kind) const {
  TRandom r(seed_ ^ (static_cast<uint64_t>(index) * 0x100000001B3ull) ^ (kind << 56));
  return r.Next();
}

std::string TProjectGenerator::UnitName(int index) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", index);
  return std::string(kEntities[static_cast<size_t>(index) % std::size(kEntities)]) + digits;
}

bool TProjectGenerator::HasForm(int index, int forms) const {
  if (shape_ == TShape::Real) return RealTraits(FileSeed(index, kSaltShape), index).HasForm;
  return index < forms;
}

bool TProjectGenerator::IsBinaryForm(int index) const {
  if (shape_ == TShape::Real) return RealTraits(FileSeed(index, kSaltShape), index).Binary;
  return index % 10 == 9;
}

bool TProjectGenerator::IsTypeLibrary(int index) const {
  return shape_ == TShape::Real && RealTraits(FileSeed(index, kSaltShape), index).TypeLibrary;
}

std::string TProjectGenerator::FormText(int index) const {
  std::vector<TGenComponent> components;
  if (shape_ == TShape::Real) {
    const TRealTraits t = RealTraits(FileSeed(index, kSaltShape), index);
    return TFormBuilder(FileSeed(index, kSaltForm), RealProfileOf(FileSeed(index, kSaltProfile)),
                        UnitName(index))
        .BuildReal(components, t.FormBytes, t.Inherited);
  }
  return TFormBuilder(FileSeed(index, kSaltForm), ProfileOf(FileSeed(index, kSaltProfile)),
                      UnitName(index))
      .Build(components);
}

TGenFile TProjectGenerator::RealUnit(int index, bool withForm) const {
  const TRealTraits t = RealTraits(FileSeed(index, kSaltShape), index);
  TGenFile file{UnitName(index) + ".pas", {}};
  if (!withForm && t.TypeLibrary) {
    file.Bytes = TypeLibraryUnit(FileSeed(index, kSaltUnit), UnitName(index), t.TypeLibraryBytes);
    return file;
  }
  const TProfile profile = RealProfileOf(FileSeed(index, kSaltProfile));
  std::vector<TGenComponent> components;
  if (withForm)
    TFormBuilder(FileSeed(index, kSaltForm), profile, UnitName(index))
        .BuildReal(components, t.FormBytes, t.Inherited);
  TUnitBuilder builder(FileSeed(index, kSaltUnit), profile, UnitName(index));
  builder.SetProcedures(t.Procedures);
  builder.SetPlain();
  const std::string text = builder.Build(withForm ? &components : nullptr);
  file.Bytes = t.Utf8 ? "\xEF\xBB\xBF" + Latin1ToUtf8(text) : text;
  return file;
}

TGenFile TProjectGenerator::Unit(int index, bool withForm) const {
  if (shape_ == TShape::Real) return RealUnit(index, withForm);
  const TProfile profile = ProfileOf(FileSeed(index, kSaltProfile));
  std::vector<TGenComponent> components;
  if (withForm)
    TFormBuilder(FileSeed(index, kSaltForm), profile, UnitName(index)).Build(components);
  TUnitBuilder builder(FileSeed(index, kSaltUnit), profile, UnitName(index));
  const std::string text = builder.Build(withForm ? &components : nullptr);
  TGenFile file{UnitName(index) + ".pas", {}};
  switch (index % 20) {
    case 3:
    case 13:
      file.Bytes = "\xEF\xBB\xBF" + Latin1ToUtf8(text);
      break;
    case 7:
      file.Bytes = "\xFF\xFE" + Latin1ToUtf16(text);
      break;
    default:
      file.Bytes = text;
      break;
  }
  return file;
}

TGenFile TProjectGenerator::Form(int index) const {
  const std::string text = FormText(index);
  TGenFile file{UnitName(index) + ".dfm", {}};
  if (!IsBinaryForm(index)) {
    file.Bytes = text;
    return file;
  }
  TBinaryFormKind kind;
  kind.HasHeader = true;
  std::string name = "TFRM" + UnitName(index);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  kind.Header.Name = name;
  const TEncoding& cp = TEncoding::CodePage(1252);
  file.Bytes = TextToBinaryForm(cp.GetString(text), kind, cp);
  return file;
}

TGenFile TProjectGenerator::ProjectFile(int units, int forms) const {
  std::string text = "program BenchProject;\r\n\r\nuses\r\n  Forms,\r\n";
  for (int i = 0; i < units; ++i) {
    text += "  " + UnitName(i) + " in '" + UnitName(i) + ".pas'";
    if (HasForm(i, forms)) text += " {frm" + UnitName(i) + "}";
    text += i + 1 < units ? ",\r\n" : ";\r\n";
  }
  text += "\r\n{$R *.res}\r\n\r\nbegin\r\n  Application.Initialize;\r\n";
  for (int i = 0, created = 0; i < units && created < 3; ++i) {
    if (!HasForm(i, forms)) continue;
    text += "  Application.CreateForm(Tfrm" + UnitName(i) + ", frm" + UnitName(i) + ");\r\n";
    ++created;
  }
  text += "  Application.Run;\r\nend.\r\n";
  return {"BenchProject.dpr", text};
}

bool SaveFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

namespace {

void Save(const std::string& folder, const TGenFile& file, TGenSummary& summary) {
  const std::string path = folder + "/" + file.Name;
  if (!SaveFile(path, file.Bytes)) throw std::runtime_error("cannot write " + path);
  summary.Bytes += file.Bytes.size();
}

}  // namespace

TGenSummary WriteProject(const TProjectGenerator& gen, const std::string& folder, int units,
                         int forms) {
  TGenSummary summary;
  for (int i = 0; i < units; ++i) {
    const bool withForm = gen.HasForm(i, forms);
    const TGenFile unit = gen.Unit(i, withForm);
    Save(folder, unit, summary);
    ++summary.Units;
    if (!withForm && gen.IsTypeLibrary(i)) ++summary.TypeLibraries;
    if (withForm) {
      Save(folder, gen.Form(i), summary);
      ++(gen.IsBinaryForm(i) ? summary.BinaryForms : summary.TextForms);
    }
  }
  Save(folder, gen.ProjectFile(units, forms), summary);
  return summary;
}

}  // namespace mirel::bench
