#include "cli/StopSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace mirel::cli {

namespace {

// What a handler may touch: a lock-free atomic and the write end of a pipe
// (the self-pipe that wakes Wait, whichever thread the signal lands on).
std::atomic<int> g_received{0};
int g_wake[2] = {-1, -1};
bool g_installed = false;
struct sigaction g_oldInt, g_oldTerm;

void OnStopSignal(int signal) {
  const int saved = errno;
  int expected = 0;
  g_received.compare_exchange_strong(expected, signal);
  if (g_wake[1] >= 0) {
    const char byte = 1;
    (void)!::write(g_wake[1], &byte, 1);
  }
  errno = saved;
}

}  // namespace

TStopSignals::TStopSignals() {
  MIREL_ASSERT(!g_installed);
  g_received = 0;
  if (::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0) g_wake[0] = g_wake[1] = -1;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Restarted: the run's file calls are not all written to see EINTR.
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &g_oldInt);
  ::sigaction(SIGTERM, &action, &g_oldTerm);
  g_installed = true;
}

TStopSignals::~TStopSignals() {
  ::sigaction(SIGINT, &g_oldInt, nullptr);
  ::sigaction(SIGTERM, &g_oldTerm, nullptr);
  for (int& fd : g_wake) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  g_installed = false;
}

int TStopSignals::Received() {
  return g_received.load();
}

void TStopSignals::Wait() {
  while (Received() == 0) {
    if (g_wake[0] < 0) {
      ::pause();
      continue;
    }
    pollfd p{g_wake[0], POLLIN, 0};
    if (::poll(&p, 1, -1) > 0) {
      char byte;
      while (::read(g_wake[0], &byte, 1) > 0) {
      }
    }
  }
}

String SignalName(int signal) {
  if (signal == SIGINT) return u"SIGINT";
  if (signal == SIGTERM) return u"SIGTERM";
  return u"signal " + IntToStr(signal);
}

void PauseForTestAt(StringView step) {
  const char* at = std::getenv("MIREL_TEST_PAUSE_AT");
  const char* fd = std::getenv("MIREL_TEST_PAUSE_FD");
  if (at == nullptr || fd == nullptr || FromUtf8(at) != step) return;
  const int out = std::atoi(fd);
  const std::string line = ToUtf8(step) + "\n";
  (void)!::write(out, line.data(), line.size());
  ::close(out);
  TStopSignals::Wait();
}

}  // namespace mirel::cli
