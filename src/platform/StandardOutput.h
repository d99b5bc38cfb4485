#pragma once

// What tarnel-cli needs to know about its standard output: whether a person
// reads it on a terminal, and how wide that terminal is.
class StandardOutput {
public:
    static bool isTerminal();
    // The terminal's width in columns, or 0 when standard output is not a
    // terminal or does not say.
    static int columns();
    // A reader that goes away (tarnel-cli | head) must not end the process
    // in the middle of a conversion: writes to it fail instead of raising
    // SIGPIPE.
    static void survivePipeReaderExit();
};
