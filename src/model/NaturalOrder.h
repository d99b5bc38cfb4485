#pragma once

#include <QString>

// The order in which people expect names: runs of digits compared as
// numbers ("C2" before "C10"), letters without regard to case. Names that
// only differ in leading zeros or case are still ordered (by their plain
// text), so sorting with it never depends on the order the names came in.
class NaturalOrder {
public:
    // Negative, zero or positive as `a` sorts before, with or after `b`;
    // zero only for equal texts.
    static int compare(const QString &a, const QString &b);
    static bool less(const QString &a, const QString &b) { return compare(a, b) < 0; }
};
