#include "base/Interruption.h"

#include <csignal>

namespace kvaril {

namespace {

volatile std::sig_atomic_t caught = 0;

constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void Note(int signal) {
    if (caught == 0) caught = signal;
    // The next one of its kind is not asked twice.
    struct sigaction fallback {};
    fallback.sa_handler = signal == SIGPIPE ? SIG_IGN : SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
}

}  // namespace

void CatchInterruptions() {
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking write or wait returns at once and the run looks at the flag.
    for (int signal : kCaught) ::sigaction(signal, &action, nullptr);
}

int InterruptingSignal() { return caught; }

std::string InterruptionText(int signal) {
    const char* name = signal == SIGINT    ? "SIGINT"
                       : signal == SIGTERM ? "SIGTERM"
                       : signal == SIGHUP  ? "SIGHUP"
                       : signal == SIGPIPE ? "SIGPIPE"
                                           : nullptr;
    return std::string("прервано сигналом ") + (name ? name : std::to_string(signal));
}

void ThrowIfInterrupted() {
    if (caught != 0) throw EInterrupted();
}

}  // namespace kvaril
