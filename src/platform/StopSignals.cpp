#include "platform/StopSignals.h"

#include <QtGlobal>

#include <csignal>

namespace StopSignals {

namespace {

volatile std::sig_atomic_t g_received = 0;

extern "C" void noteSignal(int signal)
{
    g_received = signal;
}

} // namespace

void install()
{
#if defined(Q_OS_UNIX)
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction previous
        { };
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action
        { };
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        // A read or write under way goes on: the run looks at the flag between its steps.
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
#else
    std::signal(SIGINT, noteSignal);
    std::signal(SIGTERM, noteSignal);
#endif
}

int received()
{
    return int(g_received);
}

int exitStatus()
{
    return received() == 0 ? 0 : 128 + received();
}

} // namespace StopSignals
