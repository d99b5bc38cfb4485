#include "ProResPreset.h"

#include <array>

namespace {

struct PresetRow {
    ProResPreset preset;
    const char16_t *name;
    const char16_t *codec;
    double ratio;
    const char16_t *hint;
};

constexpr std::array<PresetRow, 6> kRows{{
    {ProResPreset::proRes422Proxy, u"ProRes 422 Proxy", u"3", 0.13, u"smallest (~13% of source)"},
    {ProResPreset::proRes422LT, u"ProRes 422 LT", u"2", 0.36, u"recommended (~35%)"},
    {ProResPreset::proRes422, u"ProRes 422", u"1", 0.57, u"balanced (~57%)"},
    {ProResPreset::proRes422HQ, u"ProRes 422 HQ", u"0", 1.15, u"larger than source"},
    {ProResPreset::proRes4444, u"ProRes 4444", u"4", 1.45, u"much larger"},
    {ProResPreset::proRes4444XQ, u"ProRes 4444 XQ", u"5", 2.1, u"largest"},
}};

const PresetRow &row(ProResPreset preset) {
    return kRows.at(static_cast<std::size_t>(preset));
}

} // namespace

const QList<ProResPreset> &ProResPresets::allCases() {
    static const QList<ProResPreset> cases = [] {
        QList<ProResPreset> list;
        for (const auto &r : kRows)
            list.append(r.preset);
        return list;
    }();
    return cases;
}

QString ProResPresets::rawValue(ProResPreset preset) {
    return QString::fromUtf16(row(preset).name);
}

std::optional<ProResPreset> ProResPresets::fromRawValue(const QString &name) {
    for (const auto &r : kRows) {
        if (name == QString::fromUtf16(r.name))
            return r.preset;
    }
    return std::nullopt;
}

QString ProResPresets::prCodec(ProResPreset preset) {
    return QString::fromUtf16(row(preset).codec);
}

double ProResPresets::sizeRatio(ProResPreset preset) {
    return row(preset).ratio;
}

QString ProResPresets::detailedLabel(ProResPreset preset) {
    return rawValue(preset) + u"  \u2014  " + QString::fromUtf16(row(preset).hint);
}
