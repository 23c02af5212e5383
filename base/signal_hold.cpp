// SIGINT, SIGTERM and SIGHUP held while a file is staged or replaced, so that no temporary
// file is left behind; they take effect when the last replacement under way is over.
#include <csignal>

#include "base/replace_file.h"

namespace kdz {

namespace {

// Counted, because staged files may be dropped in any order. The signal mask is the
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
