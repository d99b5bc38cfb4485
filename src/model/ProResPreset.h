#pragma once

#include <QList>
#include <QString>
#include <optional>

// The six Apple ProRes flavours, in the order they are offered everywhere.
enum class ProResPreset {
    proRes422Proxy,
    proRes422LT,
    proRes422,
    proRes422HQ,
    proRes4444,
    proRes4444XQ,
};

// The table of facts about each flavour.
class ProResPresets {
public:
    static const QList<ProResPreset> &allCases();
    static ProResPreset defaultPreset() { return ProResPreset::proRes422LT; }

    // The preset's name: its stored form and its form in the debug log.
    static QString rawValue(ProResPreset preset);
    // Exact, case-sensitive lookup of a name; none for anything else.
    static std::optional<ProResPreset> fromRawValue(const QString &name);
    // REDline's --PRcodec digit.
    static QString prCodec(ProResPreset preset);
    // Expected output size as a fraction of the source size.
    static double sizeRatio(ProResPreset preset);
    // The picker label: name, two spaces, em dash, two spaces, hint.
    static QString detailedLabel(ProResPreset preset);
};
