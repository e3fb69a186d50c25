#include "app/StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace {
volatile std::sig_atomic_t g_Caught = 0;
bool g_Installed = false;

extern "C" void OnStopSignal(int signal) {
  g_Caught = signal;
  // The next one is not waited for.
  std::signal(signal, SIG_DFL);
}
}  // namespace

void CatchStopSignals() {
  if (g_Installed) return;
  g_Installed = true;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int StopSignalCaught() { return g_Caught; }

void EndByStopSignal() {
  const int signal = g_Caught;
  if (signal == 0) return;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}
