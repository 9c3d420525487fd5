#include "files/LogWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iterator>
#include <locale>
#include <sstream>
#include <system_error>

namespace mirel {

namespace {

// The user's time formats; the classic ones when the environment names a
// locale that is not installed.
std::locale UserTimeLocale() {
  try {
    return std::locale(std::locale::classic(), "", std::locale::time);
  } catch (const std::runtime_error&) {
    return std::locale::classic();
  }
}

String FormatTm(const std::tm& tm, const std::locale& loc, wchar_t conversion) {
  // Wide output keeps the text right whatever the locale's character set.
  std::wostringstream out;
  out.imbue(loc);
  const auto& facet = std::use_facet<std::time_put<wchar_t>>(loc);
  facet.put(std::ostreambuf_iterator<wchar_t>(out), out, L' ', &tm, static_cast<char>(conversion));
  String result;
  for (const wchar_t wc : out.str()) {
    const auto c = static_cast<uint32_t>(wc);
    if (c >= 0x10000) {
      result.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(c));
    }
  }
  return result;
}

}  // namespace

String LocalDateTimeToStr(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const std::time_t secs = system_clock::to_time_t(t);
  std::tm tm{};
  localtime_r(&secs, &tm);
  // to_time_t may round; what is left below the second decides "exactly".
  const auto sub = t - system_clock::from_time_t(secs);
  const std::locale loc = UserTimeLocale();
  String text = FormatTm(tm, loc, L'x');
  if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0 || sub.count() != 0) {
    text += u' ';
    text += FormatTm(tm, loc, L'X');
  }
  return text;
}

TLogWriter::~TLogWriter() {
  Close();
}

void TLogWriter::Open(StringView fileName) {
  Close();
  const std::string path = ToUtf8(fileName);
  const auto fail = [&](const String& reason) {
    throw EFCreateError(U("Cannot create file \"") + String(fileName) + U("\". ") + reason);
  };
  const auto reason = [](int err) {
    return FromUtf8(std::error_code(err, std::generic_category()).message());
  };
  // The old log is replaced by a new file rather than emptied: emptying
  // would write through a link, or into a file the old name shares with
  // another (a hard link). Anything but a regular file stops here.
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) fail(U("It is a symbolic link."));
    if (!S_ISREG(st.st_mode)) fail(U("It is not a regular file."));
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail(reason(errno));
  }
  const int fd =
      ::open(path.c_str(),
             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) fail(reason(errno));
  fd_ = fd;
  if (!log_title_.empty()) WriteLine(log_title_);
  const auto now = clock_ ? clock_() : std::chrono::system_clock::now();
  WriteLine(creation_caption_ + u' ' + LocalDateTimeToStr(now));
}

void TLogWriter::WriteLine(StringView text) {
  if (fd_ < 0) return;
  std::string line;
  if (text != u" ") {
    line = ToUtf8(text);
    if (text.empty() || (text.back() != u'\n' && text.back() != u'\r')) line += "\r\n";
  } else {
    line = "\r\n";
  }
  if (double_spaced_) line += "\r\n";
  WriteBytes(line);
}

void TLogWriter::WriteBytes(const std::string& bytes) {
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // a refused line is lost; the log is only a record
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void TLogWriter::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace mirel
