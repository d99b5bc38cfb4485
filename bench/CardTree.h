#pragma once

#include <QString>

// A day's offload as RED cameras write it, made of sparse files for the
// intake benchmarks:
// <scratch>/day-<cards>x<clips>x<pieces>/A001/A001_1207AB.RDM/A001_C001_1207XY.RDC/
// A001_C001_1207XY_001.R3D … Made once per scratch folder.
class CardTree {
public:
    // The day folder (without a trailing "/").
    static QString make(const QString &scratch, int cards, int clips, int pieces);
};
