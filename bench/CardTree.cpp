#include "CardTree.h"

#include <QDir>
#include <QFile>

QString CardTree::make(const QString &scratch, int cards, int clips, int pieces) {
    const QString day = scratch + QStringLiteral("/day-%1x%2x%3").arg(cards).arg(clips).arg(pieces);
    if (QDir(day).exists())
        return day;
    const auto number = [](int n) { return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')); };
    for (int card = 1; card <= cards; ++card) {
        const QString reel = u'A' + number(card);
        const QString rdm = day + u'/' + reel + u'/' + reel + QStringLiteral("_1207AB.RDM/");
        for (int clip = 1; clip <= clips; ++clip) {
            const QString name =
                reel + QStringLiteral("_C") + number(clip) + QStringLiteral("_1207XY");
            const QString rdc = rdm + name + QStringLiteral(".RDC/");
            QDir().mkpath(rdc);
            for (int piece = 1; piece <= pieces; ++piece) {
                QFile f(rdc + name + u'_' + number(piece) + QStringLiteral(".R3D"));
                if (f.open(QIODevice::WriteOnly))
                    f.resize(1'000'000);
            }
        }
    }
    return day;
}
