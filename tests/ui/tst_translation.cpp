// The German translation: complete for the current sources, shown by the
// window under a German locale, and never in place of the English source
// texts (tarnel-cli's language: tst_cli).
#include "AppMainView.h"
#include "platform/Translations.h"
#include "runner/REDlineError.h"
#include "settings/UserSettings.h"
#include "support/RecordingWorkspace.h"
#include "support/TestEnvironment.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// The entries of a .ts file that are untranslated, vanished or obsolete, or
// whose translation's %1…%9 and %n differ from their source's.
QStringList problems(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly); // a file that cannot be read is an empty document
    const auto placeholders = [](const QString &text) {
        static const QRegularExpression placeholder(QStringLiteral("%[1-9n]"));
        QSet<QString> found;
        for (const QRegularExpressionMatch &m : placeholder.globalMatch(text))
            found << m.captured();
        return found;
    };
    QStringList wrong;
    QString source;
    bool numerus = false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString type = xml.attributes().value(QLatin1String("type")).toString();
        if (xml.name() == u"message")
            numerus = xml.attributes().value(QLatin1String("numerus")) == u"yes";
        else if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation" && !type.isEmpty())
            wrong << type + u": " + source;
        else if ((xml.name() == u"translation" && !numerus) || xml.name() == u"numerusform")
            if (const QString text = xml.readElementText();
                text.isEmpty() || placeholders(text) != placeholders(source))
                wrong << source + u" \u2192 " + text;
    }
    if (xml.hasError())
        wrong << xml.errorString();
    return wrong;
}

} // namespace

class TranslationTest : public QObject {
    Q_OBJECT

    RecordingWorkspace m_workspace;

private Q_SLOTS:
    void cleanup() { Translations::remove(); }

    // Every entry translated with its placeholders, and lupdate run over the
    // sources today finds no text missing from the file nor one left over.
    void translationIsComplete() {
        const QString ts = QStringLiteral(TARNEL_SOURCE_DIR "/translations/tarnel_de.ts");
        QTemporaryDir dir;
        const QString copy = dir.filePath("tarnel_de.ts");
        QVERIFY(QFile::copy(ts, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.start(QStringLiteral(TARNEL_LUPDATE),
                      {"-locations", "none", TARNEL_SOURCE_DIR "/src", "-ts", copy});
        QVERIFY(lupdate.waitForFinished(120'000) && lupdate.exitCode() == 0);
        for (const QString &file : {ts, copy}) {
            const QStringList wrong = problems(file);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        }
    }

    // The start button, the placeholder, the folder button's tooltip (in
    // Linux words), the file count and a failed row's message (the movie's
    // path and the reason as the core wrote them).
    void windowTexts_data() {
        QTest::addColumn<QString>("shown");
        QTest::newRow("de_DE")
            << "Starten | Noch keine Dateien – R3D-Dateien oben ablegen oder "
               "„Dateien hinzufügen …“ verwenden | Ausgabeordner in „Dateien“ "
               "zeigen | 1 DATEI | Konvertierung beendet, aber der geschriebene "
               "Film lässt sich nicht abspielen (cut short): /out/A (1).mov\nDer "
               "Film wurde behalten.";
        QTest::newRow("C") << "Start | No files yet — drop R3D files above or use “Add Files…” | "
                              "Show output folder in Files | 1 FILE | Conversion finished but the "
                              "movie it wrote cannot be played (cut short): /out/A (1).mov\nThe "
                              "movie was kept.";
    }
    void windowTexts() {
        QFETCH(QString, shown);
        const QString locale = QString::fromLatin1(QTest::currentDataTag());
        QCOMPARE(Translations::install(QLocale(locale)), locale == "de_DE");
        TestEnvironment::instance().clearSettings();
        UserSettings settings;
        AppMainView view(&settings, m_workspace);
        const QStringList texts{
            view.findChild<QPushButton *>("start")->text(),
            view.findChild<QLabel *>("placeholder")->text(),
            view.findChild<QToolButton *>("revealFolder")->toolTip(), AppMainView::fileCountText(1),
            REDlineError::outputUnreadable("/out/A (1).mov", "cut short").wording().shown()};
        QCOMPARE(texts.join(" | "), shown);
    }
};

TARNEL_TEST_MAIN_IMPL(TranslationTest, QApplication)
#include "tst_translation.moc"
