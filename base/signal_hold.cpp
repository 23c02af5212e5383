// SIGINT, SIGTERM and SIGHUP held while a change is made, so that no staged file is left
// behind; they take effect when the last change under way is over.
#include <csignal>

#include "base/staging.h"

namespace kdz {

namespace {

// Counted, because holds may nest and end in any order. The signal mask is the
// process's own: so are the depth of holding and the mask that ending it restores.
int held_depth = 0;
sigset_t before_holding;

}  // namespace

void hold_signals() {
  if (held_depth++ != 0) return;
  sigset_t held;
  sigemptyset(&held);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, sig);
  sigprocmask(SIG_BLOCK, &held, &before_holding);
}

void release_signals() {
  if (--held_depth == 0) sigprocmask(SIG_SETMASK, &before_holding, nullptr);
}

}  // namespace kdz
