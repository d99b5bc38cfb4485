// tarnel-cli: converts R3D clips to ProRes from a shell, a script or a
// machine without a display, with the same queue, REDline runner, settings
// and debug log as the Tarnel window.
#include "CliOptions.h"
#include "CliRun.h"
#include "platform/StandardOutput.h"
#include "platform/Translations.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[]) {
    StandardOutput::survivePipeReaderExit();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("tarnel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));

    // Texts for people (help, progress, summary, errors) in the system
    // locale's language; --json is read by programs and stays as written.
    Translations::install();
    CliParseResult parsed = CliOptions::parse(QCoreApplication::arguments());
    if (parsed.options && parsed.options->json)
        Translations::remove();
    if (!parsed.options) {
        const QByteArray text = parsed.text.toUtf8();
        std::fputs(text.constData(), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    CliRun run(std::move(*parsed.options));
    return run.exec();
}
