// One call of the library at a time: the engines share the progress dialog and the overwrite
// answers, and a progress dialog pumps messages that may call the library again.
#pragma once

namespace zipvault {

// Held while an export runs an engine. A second export called meanwhile (from a pumped message,
// a message box's handler or another thread) finds it taken and returns an error at once.
class RunGuard {
 public:
  RunGuard();
  ~RunGuard();
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace zipvault
