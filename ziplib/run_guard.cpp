#include "ziplib/run_guard.h"

#include <atomic>

namespace zipvault {

namespace {
std::atomic<bool> g_running{false};
}

RunGuard::RunGuard() : ok_(!g_running.exchange(true)) {}

RunGuard::~RunGuard() {
  if (ok_) g_running = false;
}

}  // namespace zipvault
