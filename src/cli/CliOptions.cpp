#include "CliOptions.h"

#include "ExitStatus.h"
#include "settings/UserSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

namespace {

// A path given on the command line, made absolute against the working
// folder (the settings only ever hold absolute paths).
QString absolute(const QString &path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

} // namespace

QStringList CliOptions::presetNames() {
    return {QStringLiteral("proxy"), QStringLiteral("lt"),   QStringLiteral("422"),
            QStringLiteral("hq"),    QStringLiteral("4444"), QStringLiteral("4444xq")};
}

std::optional<ProResPreset> CliOptions::presetNamed(const QString &name) {
    const qsizetype i = presetNames().indexOf(name.toLower());
    if (i < 0)
        return std::nullopt;
    return ProResPresets::allCases().at(i);
}

void CliOptions::describe(QCommandLineParser &parser) {
    parser.setApplicationDescription(
        tr("Converts RED .R3D clips to Apple ProRes with REDline, one after another, with the "
           "settings of the Tarnel window. Options apply to this run only."));
    parser.addHelpOption();
    parser.addVersionOption();
    const auto option = [&parser](const char *name, const QString &description,
                                  const QString &valueName = {}) {
        parser.addOption(QCommandLineOption(QLatin1String(name), description, valueName));
    };
    option("preset", tr("ProRes flavour: %1.").arg(presetNames().join(QLatin1Char('|'))),
           tr("name"));
    option("output", tr("Folder for the movies (created if missing)."), tr("dir"));
    option("redline", tr("The REDline program to run."), tr("path"));
    option("send-to-fcp", tr("Hand each converted clip to Final Cut Pro."));
    option("no-send-to-fcp", tr("Do not hand clips to Final Cut Pro."));
    option("fcpxml",
           tr("After the run, write one Final Cut Pro document (FCPXML) with every converted "
              "clip to this file."),
           tr("file"));
    option("name-like-clip", tr("Name each movie exactly like its clip (no \"_tarnel\"), so "
                                "editors relink proxies by name."));
    option("dry-run",
           tr("Print each REDline command line, quoted for a POSIX shell; convert nothing."));
    option("json", tr("Print one JSON object per line for each event."));
    option("quiet", tr("Print only errors (with --json: leave out the progress events)."));
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 tr("R3D files, or folders: searched one level deep, RED card "
                                    "(.RDM) and clip (.RDC) folders below them entered."),
                                 QStringLiteral("PATH..."));
}

CliParseResult CliOptions::parse(const QStringList &arguments) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        return CliParseResult{std::nullopt,
                              parser.helpText() + u'\n' +
                                  tr("Exit status: 0 every file converted, 1 some failed, 2 usage "
                                     "error, 3 cannot start,\n130 interrupted (Ctrl-C). More in "
                                     "tarnel-cli(1).") +
                                  u'\n',
                              exitConverted};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return CliParseResult{std::nullopt,
                              QCoreApplication::applicationName() + u' ' +
                                  QCoreApplication::applicationVersion() + u'\n',
                              exitConverted};
    }
    return read(parser);
}

CliParseResult CliOptions::usageError(const QString &why) {
    return CliParseResult{std::nullopt,
                          why + u'\n' + tr("Try 'tarnel-cli --help' for more information.") + u'\n',
                          exitUsage};
}

CliParseResult CliOptions::read(const QCommandLineParser &parser) {
    CliOptions o;
    if (const QString preset = parser.value(QStringLiteral("preset"));
        parser.isSet(QStringLiteral("preset"))) {
        o.preset = presetNamed(preset);
        if (!o.preset) {
            return usageError(tr("Unknown preset '%1' (use one of %2).")
                                  .arg(preset, presetNames().join(QStringLiteral(", "))));
        }
    }
    const bool send = parser.isSet(QStringLiteral("send-to-fcp"));
    const bool noSend = parser.isSet(QStringLiteral("no-send-to-fcp"));
    if (send && noSend)
        return usageError(tr("--send-to-fcp and --no-send-to-fcp exclude each other."));
    if (send || noSend)
        o.sendToFCP = send;
    for (const auto &[name, target] :
         {std::pair{"output", &o.outputDirectory}, std::pair{"redline", &o.redlinePath},
          std::pair{"fcpxml", &o.fcpxmlPath}}) {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option))
            continue;
        if (parser.value(option).isEmpty())
            return usageError(tr("--%1 needs a path.").arg(option));
        *target = absolute(parser.value(option));
    }
    o.nameLikeClip = parser.isSet(QStringLiteral("name-like-clip"));
    o.dryRun = parser.isSet(QStringLiteral("dry-run"));
    o.json = parser.isSet(QStringLiteral("json"));
    o.quiet = parser.isSet(QStringLiteral("quiet"));
    o.paths = parser.positionalArguments();
    if (o.paths.isEmpty())
        return usageError(tr("No files or folders given."));
    return CliParseResult{std::move(o), {}, exitConverted};
}

QVariantHash CliOptions::sessionValues() const {
    // No completion sound: a script has the exit status, and a machine
    // without a display usually has no sound either.
    QVariantHash values{{QLatin1String(UserSettings::kPlayCompletionSoundKey), false}};
    if (preset)
        values.insert(QLatin1String(UserSettings::kSelectedPresetKey),
                      ProResPresets::rawValue(*preset));
    if (!outputDirectory.isEmpty())
        values.insert(QLatin1String(UserSettings::kOutputDirectoryPathKey), outputDirectory);
    if (!redlinePath.isEmpty())
        values.insert(QLatin1String(UserSettings::kRedlinePathKey), redlinePath);
    if (sendToFCP)
        values.insert(QLatin1String(UserSettings::kAutoSendToFCPKey), *sendToFCP);
    if (nameLikeClip)
        values.insert(QLatin1String(UserSettings::kNameMoviesLikeClipsKey), true);
    return values;
}
