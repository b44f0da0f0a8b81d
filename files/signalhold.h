#pragma once

// Holds back the signals that end a program from the terminal or the system (SIGINT,
// SIGTERM, SIGHUP) for as long as it lives, so that a step of several parts is never cut
// in the middle; one that arrived meanwhile takes effect when the hold ends. It holds them
// for the calling thread: the process must have no other thread that could take them.

#include <signal.h>

namespace lodra {

class SignalHold {
  public:
    SignalHold() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&held, signal);
        }
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;
    ~SignalHold() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

  private:
    sigset_t previous_{};
};

}  // namespace lodra
