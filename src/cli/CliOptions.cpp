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

CliParseResult CliOptions::parse(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts RED .R3D clips to Apple ProRes with REDline, one after another, "
                       "with the settings of the Tarnel window. Options apply to this run only."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption preset(QStringLiteral("preset"),
                                    QStringLiteral("ProRes flavour: ") +
                                        presetNames().join(QLatin1Char('|')) + u'.',
                                    QStringLiteral("name"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Folder for the movies (created if missing)."),
                                    QStringLiteral("dir"));
    const QCommandLineOption redline(QStringLiteral("redline"),
                                     QStringLiteral("The REDline program to run."),
                                     QStringLiteral("path"));
    const QCommandLineOption send(QStringLiteral("send-to-fcp"),
                                  QStringLiteral("Hand each converted clip to Final Cut Pro."));
    const QCommandLineOption noSend(QStringLiteral("no-send-to-fcp"),
                                    QStringLiteral("Do not hand clips to Final Cut Pro."));
    const QCommandLineOption fcpxml(
        QStringLiteral("fcpxml"),
        QStringLiteral("After the run, write one Final Cut Pro document (FCPXML) with every "
                       "converted clip to this file."),
        QStringLiteral("file"));
    const QCommandLineOption nameLikeClip(
        QStringLiteral("name-like-clip"),
        QStringLiteral("Name each movie exactly like its clip (no \"_tarnel\"), so editors "
                       "relink proxies by name."));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("Print each REDline command line, quoted for a POSIX shell; convert "
                       "nothing."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object per line for each event."));
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("Print only errors (with --json: leave out the progress events)."));
    parser.addOptions(
        {preset, output, redline, send, noSend, fcpxml, nameLikeClip, dryRun, json, quiet});
    parser.addPositionalArgument(
        QStringLiteral("PATH"),
        QStringLiteral("R3D files, or folders: searched one level deep, RED card (.RDM) "
                       "and clip (.RDC) folders below them entered."),
        QStringLiteral("PATH..."));

    const auto usageError = [](const QString &why) {
        return CliParseResult{
            std::nullopt, why + QStringLiteral("\nTry 'tarnel-cli --help' for more information.\n"),
            exitUsage};
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        return CliParseResult{
            std::nullopt,
            parser.helpText() +
                QStringLiteral("\nExit status: 0 every file converted, 1 some failed, 2 usage "
                               "error, 3 cannot start,\n130 interrupted (Ctrl-C). More in "
                               "tarnel-cli(1).\n"),
            exitConverted};
    }
    if (parser.isSet(version)) {
        return CliParseResult{std::nullopt,
                              QCoreApplication::applicationName() + u' ' +
                                  QCoreApplication::applicationVersion() + u'\n',
                              exitConverted};
    }

    CliOptions o;
    if (parser.isSet(preset)) {
        o.preset = presetNamed(parser.value(preset));
        if (!o.preset) {
            return usageError(u"Unknown preset '" + parser.value(preset) + u"' (use one of " +
                              presetNames().join(QStringLiteral(", ")) + u").");
        }
    }
    if (parser.isSet(send) && parser.isSet(noSend))
        return usageError(QStringLiteral("--send-to-fcp and --no-send-to-fcp exclude each other."));
    if (parser.isSet(send) || parser.isSet(noSend))
        o.sendToFCP = parser.isSet(send);
    for (const auto &[option, target] :
         {std::pair{&output, &o.outputDirectory}, std::pair{&redline, &o.redlinePath},
          std::pair{&fcpxml, &o.fcpxmlPath}}) {
        if (!parser.isSet(*option))
            continue;
        if (parser.value(*option).isEmpty())
            return usageError(u"--" + option->names().constFirst() + u" needs a path.");
        *target = absolute(parser.value(*option));
    }
    o.nameLikeClip = parser.isSet(nameLikeClip);
    o.dryRun = parser.isSet(dryRun);
    o.json = parser.isSet(json);
    o.quiet = parser.isSet(quiet);
    o.paths = parser.positionalArguments();
    if (o.paths.isEmpty())
        return usageError(QStringLiteral("No files or folders given."));
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
