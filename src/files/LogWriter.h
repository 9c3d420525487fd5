// TLogWriter: the plain-text log of a replace run ("Wiz_Log.txt").
//
// The writer knows nothing of what is logged. A new log holds the title line
// (left out when the title is empty), the creation line (caption, one blank,
// the local date in the user's short date format and the time in the user's
// time format, both from the LC_TIME locale of the environment; the time is
// left out at exactly midnight), then the caller's lines in order. Every line
// ends with CR LF; when double-spaced, every line (title and creation line
// included) is followed by an empty line. The file is UTF-8 without a
// byte-order mark. Each line reaches the file as soon as it is written.
//
// Not thread-safe; one run uses it at a time.
#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "rtl/SysUtils.h"

namespace mirel {

class TLogWriter {
 public:
  using TClock = std::function<std::chrono::system_clock::time_point()>;

  TLogWriter() = default;
  /// Closes the file if it is open.
  ~TLogWriter();
  TLogWriter(const TLogWriter&) = delete;
  TLogWriter& operator=(const TLogWriter&) = delete;

  /// Creates fileName as a new file (an old regular file of that name is
  /// removed first, never emptied in place), keeps it open and writes the
  /// title and creation lines. A log that was open is closed first. Throws
  /// EFCreateError (naming the file and the reason) when the file cannot be
  /// created, and when something other than a regular file has the name (a
  /// symbolic link, which is never followed, a pipe, a folder): that entry is
  /// left as it is. The writer is then closed.
  void Open(StringView fileName);

  /// Appends one line; does nothing while the writer is closed. A single
  /// blank " " writes an empty line; a text ending in CR or LF is written as
  /// it stands (callers may pass complete lines); any other text, the empty
  /// one included, gets CR LF. Write errors are not reported: a line the file
  /// system refuses is lost.
  void WriteLine(StringView text);

  /// Closes the file; the writer can be opened again. Closing a closed writer
  /// does nothing.
  void Close();

  bool IsOpen() const { return fd_ >= 0; }

  /// First line of a new log; none when empty (the default).
  const String& LogTitle() const { return log_title_; }
  void SetLogTitle(StringView title) { log_title_ = String(title); }
  /// Label of the creation line; default "Log created at:".
  const String& CreationCaption() const { return creation_caption_; }
  void SetCreationCaption(StringView caption) { creation_caption_ = String(caption); }
  /// When set, every line is followed by an empty line; default false.
  bool DoubleSpaced() const { return double_spaced_; }
  void SetDoubleSpaced(bool on) { double_spaced_ = on; }

  /// Replaces the source of the current time for the creation line (the
  /// system clock by default); for tests. An empty clock restores the default.
  void SetClock(TClock clock) { clock_ = std::move(clock); }

 private:
  void WriteBytes(const std::string& bytes);

  int fd_ = -1;
  String log_title_;
  String creation_caption_ = u"Log created at:";
  bool double_spaced_ = false;
  TClock clock_;
};

/// The local date and time of t as the creation line shows it: the date in
/// the short date format of the LC_TIME locale of the environment, then a
/// blank and the time in that locale's time format, the time left out when t
/// is exactly midnight local time.
String LocalDateTimeToStr(std::chrono::system_clock::time_point t);

}  // namespace mirel
