#include "StandardOutput.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

bool StandardOutput::isTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

int StandardOutput::columns() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

void StandardOutput::survivePipeReaderExit() {
    std::signal(SIGPIPE, SIG_IGN);
}
