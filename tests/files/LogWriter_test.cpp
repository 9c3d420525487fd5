#include "files/LogWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "support/FilesTempDir.h"

namespace mirel {
namespace {

using testing::TTempDir;
using Clock = std::chrono::system_clock;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (old) old_ = old;
    setenv(name, value, 1);
    tzset();
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
    tzset();
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// 15 March 2024 at the given UTC time of day.
Clock::time_point At(int h, int m, int s, int ms = 0) {
  std::tm tm{};
  tm.tm_year = 124, tm.tm_mon = 2, tm.tm_mday = 15, tm.tm_hour = h, tm.tm_min = m, tm.tm_sec = s;
  return Clock::from_time_t(timegm(&tm)) + std::chrono::milliseconds(ms);
}

// Every test runs in the C locale and UTC, so the creation line is known.
class LogWriterTest : public ::testing::Test {
 protected:
  LogWriterTest() {
    log_.SetClock([] { return At(14, 5, 9); });
  }
  String Path() const { return dir_ / "Wiz_Log.txt"; }
  std::string Contents() const { return dir_.Read("Wiz_Log.txt"); }

  ScopedEnv locale_{"LC_ALL", "C"};
  ScopedEnv zone_{"TZ", "UTC"};
  TTempDir dir_;
  TLogWriter log_;
};

TEST_F(LogWriterTest, RunLogLayoutDoubleSpaced) {
  log_.SetLogTitle(u"BDE/ADO Migration Wizard log");
  log_.SetCreationCaption(u"Created at:");
  log_.SetDoubleSpaced(true);
  log_.Open(Path());
  log_.WriteLine(u"Initializing unit list");
  log_.WriteLine(u"Processing file: /p/Main.pas\r\n");  // already a complete line
  log_.WriteLine(u" ");
  log_.Close();
  EXPECT_EQ(
      "BDE/ADO Migration Wizard log\r\n\r\n"
      "Created at: 03/15/24 14:05:09\r\n\r\n"
      "Initializing unit list\r\n\r\n"
      "Processing file: /p/Main.pas\r\n\r\n"
      "\r\n\r\n",
      Contents());
}

TEST_F(LogWriterTest, DefaultsSingleSpacedWithoutTitle) {
  log_.Open(Path());
  log_.WriteLine(u" ");
  log_.WriteLine(u"ends in LF\n");
  log_.WriteLine(u"ends in CR\r");
  log_.WriteLine(u"");
  log_.WriteLine(u"Größe ✓ \U0001D11E");
  EXPECT_EQ(
      "Log created at: 03/15/24 14:05:09\r\n"
      "\r\n"
      "ends in LF\n"
      "ends in CR\r"
      "\r\n"
      "Gr\xC3\xB6\xC3\x9F\x65 \xE2\x9C\x93 \xF0\x9D\x84\x9E\r\n",
      Contents());  // each line is on disk at once, before Close
}

TEST_F(LogWriterTest, TimeIsLeftOutOnlyAtExactlyMidnight) {
  log_.SetClock([] { return At(0, 0, 0); });
  log_.Open(Path());
  EXPECT_EQ("Log created at: 03/15/24\r\n", Contents());
  log_.SetClock([] { return At(0, 0, 0, 1); });
  log_.Open(Path());
  EXPECT_EQ("Log created at: 03/15/24 00:00:00\r\n", Contents());
}

TEST_F(LogWriterTest, UnknownLocaleFallsBackToTheClassicFormats) {
  ScopedEnv bad("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(u"03/15/24 23:59:59", LocalDateTimeToStr(At(23, 59, 59)));
}

TEST_F(LogWriterTest, OpenStartsAfreshAndClosedWritesChangeNothing) {
  dir_.Write("Wiz_Log.txt", "an earlier, much longer log that must disappear\r\n");
  log_.WriteLine(u"before open");
  EXPECT_EQ("an earlier, much longer log that must disappear\r\n", Contents());
  log_.Open(Path());
  log_.WriteLine(u"one");
  log_.Close();
  log_.WriteLine(u"after close");
  log_.Close();
  EXPECT_FALSE(log_.IsOpen());
  EXPECT_EQ("Log created at: 03/15/24 14:05:09\r\none\r\n", Contents());
}

TEST_F(LogWriterTest, OpenFailureRaisesCreateErrorAndLeavesWriterClosed) {
  log_.Open(Path());
  try {
    log_.Open(dir_ / "no/such/folder/Wiz_Log.txt");
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_NE(String::npos, e.Message().find(u"no/such/folder/Wiz_Log.txt"));
  }
  EXPECT_FALSE(log_.IsOpen());
  log_.WriteLine(u"lost");
  EXPECT_EQ("Log created at: 03/15/24 14:05:09\r\n", Contents());
  EXPECT_THROW(log_.Open(dir_.Path()), EFCreateError);  // a folder
}

}  // namespace
}  // namespace mirel
