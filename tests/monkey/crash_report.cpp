#include "monkey/crash_report.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

// The sanitizers' runtimes provide this when the program is built with them; otherwise it is null.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace orvendi::monkey {

namespace {

// Read from signal handlers and the watchdog thread: a fixed buffer, swapped whole.
constexpr std::size_t kPrefixSize = 256;
char g_prefixes[2][kPrefixSize] = {{"monkey: failed before the first action: "}, {}};
std::atomic<int> g_current{0};
std::atomic<long long> g_action_started_ms{0};
int g_hang_seconds = 0;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void WriteText(const char* text) {
  const std::size_t length = std::strlen(text);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t written = write(STDERR_FILENO, text + done, length - done);
    if (written <= 0) return;
    done += static_cast<std::size_t>(written);
  }
}

void WriteFailure(const char* reason) {
  WriteText("\n");
  WriteText(g_prefixes[g_current.load()]);
  WriteText(reason);
  WriteText("\n");
}

const char* SignalName(int signal_number) {
  switch (signal_number) {
    case SIGSEGV:
      return "the process crashed (SIGSEGV)";
    case SIGBUS:
      return "the process crashed (SIGBUS)";
    case SIGILL:
      return "the process crashed (SIGILL)";
    case SIGABRT:
      return "the process aborted (SIGABRT)";
    default:
      return "the process was stopped by a signal";
  }
}

void OnSignal(int signal_number) {
  WriteFailure(SignalName(signal_number));
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void OnSanitizerDeath() { WriteFailure("a sanitizer reported a finding (above)"); }

void Watch() {
  for (;;) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (NowMs() - g_action_started_ms.load() < g_hang_seconds * 1000LL) continue;
    WriteFailure("the action has not finished after the watchdog's limit: the window hangs");
    _exit(3);
  }
}

}  // namespace

void InstallCrashReport(int hang_seconds) {
  g_hang_seconds = hang_seconds;
  g_action_started_ms = NowMs();
  if (__sanitizer_set_death_callback != nullptr) {
    // The sanitizer prints the finding and its stack; a handler of ours would hide it.
    __sanitizer_set_death_callback(OnSanitizerDeath);
  } else {
    std::signal(SIGSEGV, OnSignal);
    std::signal(SIGBUS, OnSignal);
    std::signal(SIGILL, OnSignal);
  }
  std::signal(SIGABRT, OnSignal);
  std::thread(Watch).detach();
}

void SetFailurePrefix(const std::string& prefix) {
  const int next = 1 - g_current.load();
  const std::size_t length = std::min(prefix.size(), kPrefixSize - 1);
  std::memcpy(g_prefixes[next], prefix.data(), length);
  g_prefixes[next][length] = '\0';
  g_current = next;
  g_action_started_ms = NowMs();
}

}  // namespace orvendi::monkey
