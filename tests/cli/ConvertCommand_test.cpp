// mirel-migrate convert, run as a user would: real files in a temporary
// folder, the printed log lines, the files written and the exit codes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/CliTest.h"
#include "support/FormTestText.h"

using mirel::testing::TRun;

namespace {

using mirel::testing::Crlf;

std::string ReadData(const std::string& rel) {
  std::ifstream in(std::string(MIREL_TEST_DATA_DIR) + "/replace/" + rel, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ConvertCommand : public mirel::testing::CliTest {
 protected:
  // Runs the tool in the folder "work" of the temporary folder.
  TRun Run(const std::string& args) { return RunIn("work", args); }
  std::string Work(const std::string& rel) { return dir_.Utf8("work/" + rel); }
};

TEST_F(ConvertCommand, WorkedExamplesComeOutWholeInsideForms) {
  dir_.Write("work/Form1.dfm", Crlf("object Form1: TForm1\n"
                                    "  object Database1: TDatabase\n"
                                    "    DatabaseName = 'DBDEMOS'\n"
                                    "  end\n"
                                    "  object Query1: TQuery\n"
                                    "    DatabaseName = 'DBDEMOS'\n"
                                    "    SQL.Strings = (\n"
                                    "      'select *'\n"
                                    "      'from customer')\n"
                                    "    Left = 8\n"
                                    "    Top = 16\n"
                                    "  end\n"
                                    "end\n"));
  TRun r = Run("convert Form1.dfm out");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("Processing file: " + Work("Form1.dfm") + "\n2 change(s)\n", r.out);
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  object Database1: TKyConnection\n"
                 "  end\n"
                 "  object Query1: TKyQuery\n"
                 "    Connection = Form1.Database1\n"
                 "    SQL.Strings = (\n"
                 "            'select *'\n"
                 "            'from customer')\n"
                 "    Left = 8\n"
                 "    Top = 16\n"
                 "  end\n"
                 "end\n"),
            dir_.Read("work/out/Form1.dfm"));

  dir_.Write("work/Ado.dfm", Crlf("object Form1: TForm1\n"
                                  "  object ADOConnection1: TADOConnection\n"
                                  "    ConnectionString = \n"
                                  "      'Data Source=server1;Initial Catalog=northwind;Integrated "
                                  "Secur' +\n"
                                  "      'ity=SSPI'\n"
                                  "    IsolationLevel = ilCursorStability\n"
                                  "    DefaultDatabase = 'northwind'\n"
                                  "    Left = 8\n"
                                  "  end\n"
                                  "end\n"));
  r = Run("convert --profile ado Ado.dfm out");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  object ADOConnection1: TKyConnection\n"
                 "    ConnectString =  \n"
                 "            'Data Source=server1;Initial Catalog=northwind;Integrated Secur' +\n"
                 "            'ity=SSPI'\n"
                 "    IsolationLevel = ilReadCommitted\n"
                 "    Database = 'northwind'\n"
                 "    Left = 8\n"
                 "  end\n"
                 "end\n"),
            dir_.Read("work/out/Ado.dfm"));
}

TEST_F(ConvertCommand, DatabaseNamesOfAllFormsGivenAreKnownBeforeAnyIsConverted) {
  // The form that uses the database comes first on the command line.
  dir_.Write("work/Form2.dfm", ReadData("dbmap/Form2.dfm"));
  dir_.Write("work/DataModule1.dfm", ReadData("dbmap/DataModule1.dfm"));
  const TRun r = Run("convert Form2.dfm DataModule1.dfm new/out");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("Processing file: " + Work("Form2.dfm") +
                "\n2 change(s)\nProcessing file: " + Work("DataModule1.dfm") + "\n1 change(s)\n",
            r.out);
  EXPECT_EQ(ReadData("dbmap/expected/Form2.dfm"), dir_.Read("work/new/out/Form2.dfm"));
  // Originals untouched.
  EXPECT_EQ(ReadData("dbmap/Form2.dfm"), dir_.Read("work/Form2.dfm"));
}

TEST_F(ConvertCommand, UnitWithoutItsFormIsConvertedAndTheFormNamed) {
  dir_.Write("work/Main.pas", ReadData("bde/Main.pas"));
  dir_.Write("work/Main.dfm", ReadData("bde/Main.dfm"));
  dir_.Write("work/Plain.pas", "unit Plain; interface uses Forms; implementation end.");
  const TRun r = Run("convert Main.pas Plain.pas out");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("Processing file: " + Work("Main.pas") +
                "\n17 change(s)\nProcessing file: " + Work("Plain.pas") + "\nNo changes\n",
            r.out);
  EXPECT_NE(std::string::npos, r.err.find(Work("Main.dfm") + " is the form of a converted unit"));
  EXPECT_EQ(ReadData("bde/expected/Main.pas"), dir_.Read("work/out/Main.pas"));
  EXPECT_FALSE(dir_.Exists("work/out/Plain.pas"));
  EXPECT_FALSE(dir_.Exists("work/out/Main.dfm"));
}

TEST_F(ConvertCommand, BadInputIsRefusedBeforeAnythingIsWritten) {
  dir_.Write("work/Main.pas", ReadData("bde/Main.pas"));
  dir_.Write("work/sub/Main.pas", ReadData("bde/Main.pas"));
  dir_.Write("work/Main.txt", "object Form1: TForm1 end");
  dir_.Write("work/Bad.dfm", std::string("\xFF\x0A\x00"
                                         "F\x00\x30\x10\x05\x00\x00\x00TPF0\x01",
                                         17));
  struct Row {
    const char* args;
    int code;
    const char* message;
  } const rows[] = {
      {"convert Missing.pas out", 1, "Missing.pas"},
      {"convert Main.txt out", 2, "is neither a Pascal unit"},
      {"convert Main.pas sub/Main.pas out", 2, "two files are named Main.pas"},
      {"convert Main.pas .", 2, "is in OUTDIR"},
      {"convert Main.pas ../work", 2, "is in OUTDIR"},
      {"convert Bad.dfm Main.pas out", 2, "Bad.dfm"},
      {"convert Main.pas", 2, "At least 2 required"},
      {"convert --profile paradox Main.pas out", 2, "paradox"},
      {"convert --codepage 1361 Main.pas out", 2, "1361"},
  };
  for (const Row& row : rows) {
    const TRun r = Run(row.args);
    EXPECT_EQ(row.code, r.code) << row.args;
    EXPECT_NE(std::string::npos, r.err.find(row.message)) << row.args << ": " << r.err;
    EXPECT_FALSE(dir_.Exists("work/out/Main.pas")) << row.args;
  }
  EXPECT_EQ(ReadData("bde/Main.pas"), dir_.Read("work/Main.pas"));
}

TEST_F(ConvertCommand, HelpExplainsWithAnExample) {
  const TRun r = Run("convert --help");
  EXPECT_EQ(0, r.code);
  EXPECT_NE(std::string::npos, r.out.find("Usage: mirel-migrate convert [OPTIONS] FILE... OUTDIR"));
  EXPECT_NE(std::string::npos, r.out.find("mirel-migrate convert Main.pas Main.dfm"));
  EXPECT_NE(std::string::npos, Run("--help").out.find("convert"));
}

}  // namespace
