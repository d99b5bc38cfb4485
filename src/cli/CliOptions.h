#pragma once

#include "model/ProResPreset.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVariantHash>
#include <optional>

class QCommandLineParser;
struct CliParseResult;

// tarnel-cli's command line. Each option overrides a stored setting for one
// run only (sessionValues()); nothing given here is ever written to the
// settings store.
class CliOptions {
    Q_DECLARE_TR_FUNCTIONS(CliOptions)

public:
    std::optional<ProResPreset> preset;
    QString outputDirectory; // absolute; empty when not given
    QString redlinePath;     // absolute; empty when not given
    QString fcpxmlPath;      // absolute; empty when not given
    std::optional<bool> sendToFCP;
    bool nameLikeClip = false;
    bool dryRun = false;
    bool json = false;
    bool quiet = false;
    QStringList paths; // as given

    // `arguments` includes the program name, as QCoreApplication::arguments().
    static CliParseResult parse(const QStringList &arguments);

    // The short preset names of --preset, in the order of the presets.
    static QStringList presetNames();
    static std::optional<ProResPreset> presetNamed(const QString &name);

    // The overrides, keyed like the settings store.
    QVariantHash sessionValues() const;

private:
    // The options, their help texts and the positional PATH.
    static void describe(QCommandLineParser &parser);
    // The options of a parse that succeeded, or a usage error.
    static CliParseResult read(const QCommandLineParser &parser);
    // `why`, with the hint to --help, and the usage exit status.
    static CliParseResult usageError(const QString &why);
};

// How parsing ended: with options to run, or with a text to print and an
// exit status (help, version, usage error).
struct CliParseResult {
    std::optional<CliOptions> options;
    QString text;
    int exitStatus = 0;
};
