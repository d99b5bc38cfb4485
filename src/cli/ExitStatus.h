#pragma once

// What tarnel-cli's exit status tells a script.
enum ExitStatus : int {
    exitConverted = 0,   // every file converted (or a dry run printed them)
    exitSomeFailed = 1,  // at least one file failed
    exitUsage = 2,       // unknown option, bad value, no paths
    exitCannotStart = 3, // REDline not found, no output folder, no R3D file, missing path
    exitSignalBase = 128 // stopped by a signal: 128 + its number (130 after Ctrl-C)
};
