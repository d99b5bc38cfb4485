#pragma once

#include <QString>
#include <QStringList>

// Quoting for a POSIX shell (sh, dash, bash): a command line printed with
// it can be pasted into a shell and gives the program exactly these
// arguments, whatever characters they hold (spaces, quotes, $(…), line
// feeds). Words made only of harmless characters stay bare, for legibility;
// everything else goes in single quotes, where nothing is special except the
// single quote itself, written as '\''. A word holding control or invisible
// characters (ESC, BEL, a line feed, U+FEFF) is written $'…' with each such
// character as an escape (bash, zsh, ksh), so that printing the line never
// sends them to the terminal.
class ShellQuote {
public:
    static QString word(const QString &text);
    static QString commandLine(const QString &program, const QStringList &arguments);
};
