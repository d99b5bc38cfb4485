<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AddFilesDialog</name>
    <message>
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
</context>
<context>
    <name>AppMainView</name>
    <message>
        <source>No files yet — drop R3D files above or use “Add Files…”</source>
        <translation>Noch keine Dateien – R3D-Dateien oben ablegen oder „Dateien hinzufügen …“ verwenden</translation>
    </message>
    <message>
        <source>Clear list</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>R3D → ProRes converter</source>
        <translation>R3D → ProRes-Konverter</translation>
    </message>
    <message>
        <source>REDCINE-X Professional detected</source>
        <translation>REDCINE-X Professional gefunden</translation>
    </message>
    <message>
        <source>REDCINE-X Professional not found</source>
        <translation>REDCINE-X Professional nicht gefunden</translation>
    </message>
    <message>
        <source>Download REDCINE-X Professional (free) from RED</source>
        <translation>REDCINE-X Professional (kostenlos) bei RED herunterladen</translation>
    </message>
    <message>
        <source>Add Files…</source>
        <translation>Dateien hinzufügen …</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>%1 FILE</source>
        <translation>%1 DATEI</translation>
    </message>
    <message>
        <source>%1 FILES</source>
        <translation>%1 DATEIEN</translation>
    </message>
    <message>
        <source>Converting %1 of %2…</source>
        <translation>Konvertierung %1 von %2 …</translation>
    </message>
    <message>
        <source>%1 ready</source>
        <translation>%1 bereit</translation>
    </message>
    <message>
        <source>REDline found</source>
        <translation>REDline gefunden</translation>
    </message>
    <message>
        <source>REDline not found</source>
        <translation>REDline nicht gefunden</translation>
    </message>
    <message>
        <source>Converting…</source>
        <translation>Wird konvertiert …</translation>
    </message>
</context>
<context>
    <name>ByteCountFormatter</name>
    <message>
        <source>Zero KB</source>
        <translation>Null KB</translation>
    </message>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
</context>
<context>
    <name>CliOptions</name>
    <message>
        <source>Converts RED .R3D clips to Apple ProRes with REDline, one after another, with the settings of the Tarnel window. Options apply to this run only.</source>
        <translation>Konvertiert RED-Clips (.R3D) mit REDline nacheinander in Apple ProRes, mit den Einstellungen des Tarnel-Fensters. Optionen gelten nur für diesen Durchlauf.</translation>
    </message>
    <message>
        <source>ProRes flavour: %1.</source>
        <translation>ProRes-Variante: %1.</translation>
    </message>
    <message>
        <source>name</source>
        <translation>name</translation>
    </message>
    <message>
        <source>Folder for the movies (created if missing).</source>
        <translation>Ordner für die Filme (wird angelegt, falls er fehlt).</translation>
    </message>
    <message>
        <source>dir</source>
        <translation>ordner</translation>
    </message>
    <message>
        <source>The REDline program to run.</source>
        <translation>Das REDline-Programm, das ausgeführt wird.</translation>
    </message>
    <message>
        <source>path</source>
        <translation>pfad</translation>
    </message>
    <message>
        <source>Hand each converted clip to Final Cut Pro.</source>
        <translation>Jeden konvertierten Clip an Final Cut Pro übergeben.</translation>
    </message>
    <message>
        <source>Do not hand clips to Final Cut Pro.</source>
        <translation>Keine Clips an Final Cut Pro übergeben.</translation>
    </message>
    <message>
        <source>After the run, write one Final Cut Pro document (FCPXML) with every converted clip to this file.</source>
        <translation>Nach dem Durchlauf ein Final-Cut-Pro-Dokument (FCPXML) mit allen konvertierten Clips in diese Datei schreiben.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>datei</translation>
    </message>
    <message>
        <source>Name each movie exactly like its clip (no &quot;_tarnel&quot;), so editors relink proxies by name.</source>
        <translation>Jeden Film genau wie seinen Clip benennen (ohne „_tarnel“), damit Schnittprogramme Proxys über den Namen neu verknüpfen.</translation>
    </message>
    <message>
        <source>Print each REDline command line, quoted for a POSIX shell; convert nothing.</source>
        <translation>Jede REDline-Befehlszeile für eine POSIX-Shell maskiert ausgeben; nichts konvertieren.</translation>
    </message>
    <message>
        <source>Print one JSON object per line for each event.</source>
        <translation>Für jedes Ereignis ein JSON-Objekt pro Zeile ausgeben.</translation>
    </message>
    <message>
        <source>Print only errors (with --json: leave out the progress events).</source>
        <translation>Nur Fehler ausgeben (mit --json: ohne die Fortschrittsereignisse).</translation>
    </message>
    <message>
        <source>R3D files, or folders: searched one level deep, RED card (.RDM) and clip (.RDC) folders below them entered.</source>
        <translation>R3D-Dateien oder Ordner: eine Ebene tief durchsucht, RED-Karten- (.RDM) und Clip-Ordner (.RDC) darin eingeschlossen.</translation>
    </message>
    <message>
        <source>Exit status: 0 every file converted, 1 some failed, 2 usage error, 3 cannot start,
130 interrupted (Ctrl-C). More in tarnel-cli(1).</source>
        <translation>Exit-Status: 0 alle Dateien konvertiert, 1 einige fehlgeschlagen, 2 Aufruffehler, 3 Start nicht möglich,
130 abgebrochen (Strg-C). Mehr in tarnel-cli(1).</translation>
    </message>
    <message>
        <source>Try &apos;tarnel-cli --help&apos; for more information.</source>
        <translation>Weitere Informationen mit „tarnel-cli --help“.</translation>
    </message>
    <message>
        <source>Unknown preset &apos;%1&apos; (use one of %2).</source>
        <translation>Unbekannte Variante „%1“ (möglich sind %2).</translation>
    </message>
    <message>
        <source>--send-to-fcp and --no-send-to-fcp exclude each other.</source>
        <translation>--send-to-fcp und --no-send-to-fcp schließen einander aus.</translation>
    </message>
    <message>
        <source>--%1 needs a path.</source>
        <translation>--%1 braucht einen Pfad.</translation>
    </message>
    <message>
        <source>No files or folders given.</source>
        <translation>Keine Dateien oder Ordner angegeben.</translation>
    </message>
</context>
<context>
    <name>CliReporter</name>
    <message>
        <source>(saved %1%)</source>
        <translation>(%1&#xa0;% gespart)</translation>
    </message>
    <message>
        <source>(%1% larger)</source>
        <translation>(%1&#xa0;% größer)</translation>
    </message>
    <message>
        <source>converting</source>
        <translation>wird konvertiert</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>angehalten</translation>
    </message>
    <message>
        <source>FAILED</source>
        <translation>FEHLGESCHLAGEN</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>done, sent to FCP</source>
        <translation>fertig, an FCP übergeben</translation>
    </message>
    <message>
        <source>done</source>
        <translation>fertig</translation>
    </message>
    <message>
        <source>%1 again: killing REDline and exiting now.</source>
        <translation>%1 erneut: REDline wird sofort beendet, tarnel-cli endet jetzt.</translation>
    </message>
    <message>
        <source>%1: stopping REDline (%2 is left unfinished); press Ctrl-C again to stop at once.</source>
        <translation>%1: REDline wird angehalten (%2 bleibt unfertig); erneut Strg-C drücken, um sofort abzubrechen.</translation>
    </message>
    <message>
        <source>%1 of %2 converted</source>
        <translation>%1 von %2 konvertiert</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 stopped</source>
        <translation>%1 angehalten</translation>
    </message>
    <message>
        <source>%1 not converted</source>
        <translation>%1 nicht konvertiert</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>in %1</translation>
    </message>
    <message>
        <source>(interrupted)</source>
        <translation>(abgebrochen)</translation>
    </message>
    <message>
        <source>Details in the debug log: %1</source>
        <translation>Einzelheiten im Debug-Protokoll: %1</translation>
    </message>
    <message>
        <source>Final Cut document: %1 (%2 clip)</source>
        <translation>Final-Cut-Dokument: %1 (%2 Clip)</translation>
    </message>
    <message>
        <source>Final Cut document: %1 (%2 clips)</source>
        <translation>Final-Cut-Dokument: %1 (%2 Clips)</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
</context>
<context>
    <name>CliRun</name>
    <message>
        <source>REDline not found at: %1 (set it in the Tarnel window&apos;s settings, or use --redline)</source>
        <translation>REDline nicht gefunden unter: %1 (in den Einstellungen des Tarnel-Fensters festlegen oder --redline verwenden)</translation>
    </message>
    <message>
        <source>%1 (use --output, or pick a folder in the Tarnel window)</source>
        <translation>%1 (--output verwenden oder im Tarnel-Fenster einen Ordner wählen)</translation>
    </message>
    <message>
        <source>no output folder: %1</source>
        <translation>kein Ausgabeordner: %1</translation>
    </message>
    <message>
        <source>no such file or folder: %1</source>
        <translation>Datei oder Ordner nicht vorhanden: %1</translation>
    </message>
    <message>
        <source>no R3D files found in: %1</source>
        <translation>keine R3D-Dateien gefunden in: %1</translation>
    </message>
</context>
<context>
    <name>CoreText</name>
    <message>
        <source>smallest (~13% of source)</source>
        <translation>am kleinsten (~13&#xa0;% der Quelle)</translation>
    </message>
    <message>
        <source>recommended (~35%)</source>
        <translation>empfohlen (~35&#xa0;%)</translation>
    </message>
    <message>
        <source>balanced (~57%)</source>
        <translation>ausgewogen (~57&#xa0;%)</translation>
    </message>
    <message>
        <source>larger than source</source>
        <translation>größer als die Quelle</translation>
    </message>
    <message>
        <source>much larger</source>
        <translation>viel größer</translation>
    </message>
    <message>
        <source>largest</source>
        <translation>am größten</translation>
    </message>
</context>
<context>
    <name>DropZone</name>
    <message>
        <source>Drop R3D files or folders here</source>
        <translation>R3D-Dateien oder Ordner hier ablegen</translation>
    </message>
    <message>
        <source>Files are added to the list — nothing converts until you press Start</source>
        <translation>Dateien kommen in die Liste – konvertiert wird erst, wenn Sie auf „Starten“ klicken</translation>
    </message>
</context>
<context>
    <name>FolderUrls</name>
    <message>
        <source>Select Output Folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
</context>
<context>
    <name>JobListView</name>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Copy Error Text</source>
        <translation>Fehlertext kopieren</translation>
    </message>
</context>
<context>
    <name>JobRowDelegate</name>
    <message>
        <source>Show the movie in the file manager</source>
        <translation>Den Film im Dateimanager zeigen</translation>
    </message>
</context>
<context>
    <name>JobRowText</name>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>converting %1%</source>
        <translation>konvertiert %1&#xa0;%</translation>
    </message>
    <message>
        <source>starting…</source>
        <translation>startet …</translation>
    </message>
    <message>
        <source>✓ done</source>
        <translation>✓ fertig</translation>
    </message>
    <message>
        <source>✓ in Final Cut</source>
        <translation>✓ in Final Cut</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>(%1% smaller)</source>
        <translation>(%1&#xa0;% kleiner)</translation>
    </message>
    <message>
        <source>Remove from list</source>
        <translation>Aus der Liste entfernen</translation>
    </message>
    <message>
        <source>Send to Final Cut</source>
        <translation>An Final Cut senden</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Looking for clips…</source>
        <translation>Clips werden gesucht …</translation>
    </message>
    <message>
        <source>… and %1 more in the debug log</source>
        <translation>… und %1 weitere im Debug-Protokoll</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Neues Fenster</translation>
    </message>
    <message>
        <source>Add Files…</source>
        <translation>Dateien hinzufügen …</translation>
    </message>
    <message>
        <source>Export for Final Cut…</source>
        <translation>Für Final Cut exportieren …</translation>
    </message>
    <message>
        <source>Close Window</source>
        <translation>Fenster schließen</translation>
    </message>
    <message>
        <source>Quit Tarnel</source>
        <translation>Tarnel beenden</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Send to Final Cut Pro when finished</source>
        <translation>Fertige Clips an Final Cut Pro senden</translation>
    </message>
    <message>
        <source>Name movies like their clips</source>
        <translation>Filme wie ihre Clips benennen</translation>
    </message>
    <message>
        <source>Play sound when finished</source>
        <translation>Ton abspielen, wenn alles fertig ist</translation>
    </message>
    <message>
        <source>Export for Final Cut</source>
        <translation>Für Final Cut exportieren</translation>
    </message>
    <message>
        <source>Final Cut Pro XML (*.fcpxml)</source>
        <translation>Final-Cut-Pro-XML (*.fcpxml)</translation>
    </message>
    <message numerus="yes">
        <source>Final Cut document with %n clip(s) saved to %1</source>
        <translation>
            <numerusform>Final-Cut-Dokument mit %n Clip unter %1 gesichert</numerusform>
            <numerusform>Final-Cut-Dokument mit %n Clips unter %1 gesichert</numerusform>
        </translation>
    </message>
    <message>
        <source>Stop converting?</source>
        <translation>Konvertieren abbrechen?</translation>
    </message>
    <message>
        <source>This window is still converting. Closing it stops REDline; the file being converted is left unfinished.</source>
        <translation>Dieses Fenster konvertiert noch. Beim Schließen wird REDline angehalten; die Datei, die gerade konvertiert wird, bleibt unfertig.</translation>
    </message>
    <message>
        <source>Tarnel Export</source>
        <translation>Tarnel-Export</translation>
    </message>
</context>
<context>
    <name>PlatformWords</name>
    <message>
        <source>Show in Finder</source>
        <translation>Im Finder zeigen</translation>
    </message>
    <message>
        <source>Show in Files</source>
        <translation>In „Dateien“ zeigen</translation>
    </message>
    <message>
        <source>Reveal output folder in Finder</source>
        <translation>Ausgabeordner im Finder zeigen</translation>
    </message>
    <message>
        <source>Show output folder in Files</source>
        <translation>Ausgabeordner in „Dateien“ zeigen</translation>
    </message>
    <message>
        <source>Use default folder (Movies ▸ Tarnel)</source>
        <translation>Standardordner verwenden (Filme ▸ Tarnel)</translation>
    </message>
    <message>
        <source>Use default folder (%1 ▸ Tarnel)</source>
        <translation>Standardordner verwenden (%1 ▸ Tarnel)</translation>
    </message>
</context>
<context>
    <name>PreferencesView</name>
    <message>
        <source>Tarnel Settings</source>
        <translation>Tarnel-Einstellungen</translation>
    </message>
    <message>
        <source>REDline Path</source>
        <translation>REDline-Pfad</translation>
    </message>
    <message>
        <source>Path to REDline</source>
        <translation>Pfad zu REDline</translation>
    </message>
    <message>
        <source>Detect</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Detect REDline</source>
        <translation>REDline suchen</translation>
    </message>
    <message>
        <source>Default Output</source>
        <translation>Standardausgabe</translation>
    </message>
    <message>
        <source>Default output folder</source>
        <translation>Standard-Ausgabeordner</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Wählen</translation>
    </message>
    <message>
        <source>Choose default output folder</source>
        <translation>Standard-Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Default Quality</source>
        <translation>Standardqualität</translation>
    </message>
    <message>
        <source>ProRes Format</source>
        <translation>ProRes-Format</translation>
    </message>
    <message>
        <source>✓ REDline found</source>
        <translation>✓ REDline gefunden</translation>
    </message>
    <message>
        <source>✗ Not found — install REDCINE-X Professional</source>
        <translation>✗ Nicht gefunden – REDCINE-X Professional installieren</translation>
    </message>
    <message>
        <source>Not set</source>
        <translation>Nicht festgelegt</translation>
    </message>
</context>
<context>
    <name>RunEstimate</name>
    <message>
        <source>Less than a minute left</source>
        <translation>Weniger als eine Minute übrig</translation>
    </message>
    <message>
        <source>About %1 left</source>
        <translation>Noch etwa %1</translation>
    </message>
</context>
<context>
    <name>RunMonitor</name>
    <message>
        <source>%1 converted, %2 failed</source>
        <translation>%1 konvertiert, %2 fehlgeschlagen</translation>
    </message>
    <message>
        <source>1 clip converted</source>
        <translation>1 Clip konvertiert</translation>
    </message>
    <message>
        <source>%1 clips converted</source>
        <translation>%1 Clips konvertiert</translation>
    </message>
    <message>
        <source>No clips converted</source>
        <translation>Keine Clips konvertiert</translation>
    </message>
    <message>
        <source>Total time: %1</source>
        <translation>Gesamtdauer: %1</translation>
    </message>
    <message>
        <source>Show in Files</source>
        <translation>In „Dateien“ zeigen</translation>
    </message>
    <message>
        <source>Open Debug Log</source>
        <translation>Debug-Protokoll öffnen</translation>
    </message>
    <message>
        <source>Converting 1 clip</source>
        <translation>1 Clip wird konvertiert</translation>
    </message>
    <message numerus="yes">
        <source>Converting %n clips</source>
        <translation>
            <numerusform>%n Clip wird konvertiert</numerusform>
            <numerusform>%n Clips werden konvertiert</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SettingsCard</name>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Change output folder</source>
        <translation>Ausgabeordner ändern</translation>
    </message>
    <message>
        <source>Save to</source>
        <translation>Ziel</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
</context>
<context>
    <name>UserSettings</name>
    <message>
        <source>Settings could not be saved to “%1” (“%2” is in the way). Changes hold only until Tarnel quits.</source>
        <translation>Die Einstellungen konnten nicht in „%1“ gespeichert werden („%2“ ist im Weg). Änderungen gelten nur, bis Tarnel beendet wird.</translation>
    </message>
    <message>
        <source>Settings could not be saved to “%1”. Changes hold only until Tarnel quits.</source>
        <translation>Die Einstellungen konnten nicht in „%1“ gespeichert werden. Änderungen gelten nur, bis Tarnel beendet wird.</translation>
    </message>
    <message>
        <source>the output folder “%1” is not an absolute path</source>
        <translation>der Ausgabeordner „%1“ ist kein absoluter Pfad</translation>
    </message>
    <message>
        <source>the output folder “%1” does not exist (is its volume mounted?)</source>
        <translation>der Ausgabeordner „%1“ existiert nicht (ist sein Laufwerk eingehängt?)</translation>
    </message>
    <message>
        <source>the output folder “%1” is not a folder</source>
        <translation>der Ausgabeordner „%1“ ist kein Ordner</translation>
    </message>
</context>
<context>
    <name>UserText</name>
    <message>
        <source>No clip of the list has been converted yet.</source>
        <translation>Noch ist kein Clip der Liste konvertiert.</translation>
    </message>
    <message>
        <source>Could not write “%1”: %2</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> und noch %n</numerusform>
            <numerusform> und noch %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>skipped %n R3D file(s) whose names are not valid UTF-8 (rename them to add them): %1</source>
        <translation>
            <numerusform>%n R3D-Datei übersprungen, deren Name kein gültiges UTF-8 ist (benennen Sie sie um, um sie hinzuzufügen): %1</numerusform>
            <numerusform>%n R3D-Dateien übersprungen, deren Namen kein gültiges UTF-8 sind (benennen Sie sie um, um sie hinzuzufügen): %1</numerusform>
        </translation>
    </message>
    <message>
        <source>spanned clip %1 lacks %2; REDline cannot read it whole without every piece</source>
        <translation>Beim geteilten Clip %1 fehlen Teile: %2; REDline kann ihn nur mit allen Teilen vollständig lesen</translation>
    </message>
    <message numerus="yes">
        <source>%n clip folder(s) hold no R3D file: %1</source>
        <translation>
            <numerusform>%n Clip-Ordner enthält keine R3D-Datei: %1</numerusform>
            <numerusform>%n Clip-Ordner enthalten keine R3D-Datei: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n card or clip folder(s) lie more than %1 levels below the dropped folder and were not searched (drop a folder nearer to them): %2</source>
        <translation>
            <numerusform>%n Karten- oder Clip-Ordner liegt mehr als %1 Ebenen unter dem abgelegten Ordner und wurde nicht durchsucht (legen Sie einen näher gelegenen Ordner ab): %2</numerusform>
            <numerusform>%n Karten- oder Clip-Ordner liegen mehr als %1 Ebenen unter dem abgelegten Ordner und wurden nicht durchsucht (legen Sie einen näher gelegenen Ordner ab): %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>stopped looking after %1 folders in %n dropped folder(s) (drop the card folders themselves to add the rest): %2</source>
        <translation>
            <numerusform>Suche nach %1 Ordnern in %n abgelegtem Ordner beendet (legen Sie die Kartenordner selbst ab, um den Rest hinzuzufügen): %2</numerusform>
            <numerusform>Suche nach %1 Ordnern in %n abgelegten Ordnern beendet (legen Sie die Kartenordner selbst ab, um den Rest hinzuzufügen): %2</numerusform>
        </translation>
    </message>
    <message>
        <source>no R3D files found in %1</source>
        <translation>Keine R3D-Dateien gefunden in %1</translation>
    </message>
    <message>
        <source>The Final Cut Pro document could not be saved: %1</source>
        <translation>Das Final-Cut-Pro-Dokument konnte nicht gesichert werden: %1</translation>
    </message>
    <message>
        <source>Final Cut Pro was not found. The document for “%1” was saved to:
%2</source>
        <translation>Final Cut Pro wurde nicht gefunden. Das Dokument für „%1“ wurde hier gesichert:
%2</translation>
    </message>
    <message>
        <source>a conversion that never finished left %1 (%2, process %3 on %4, since %5); it may be incomplete</source>
        <translation>Eine nie beendete Konvertierung hat %1 hinterlassen (%2, Prozess %3 auf %4, seit %5); die Datei ist möglicherweise unvollständig</translation>
    </message>
    <message>
        <source>a conversion that never finished left %1 (%2, process %3 on %4); it may be incomplete</source>
        <translation>Eine nie beendete Konvertierung hat %1 hinterlassen (%2, Prozess %3 auf %4); die Datei ist möglicherweise unvollständig</translation>
    </message>
    <message>
        <source>a conversion that never finished left no movie at %1 (%2, process %3 on %4, since %5)</source>
        <translation>Eine nie beendete Konvertierung hat keinen Film unter %1 hinterlassen (%2, Prozess %3 auf %4, seit %5)</translation>
    </message>
    <message>
        <source>a conversion that never finished left no movie at %1 (%2, process %3 on %4)</source>
        <translation>Eine nie beendete Konvertierung hat keinen Film unter %1 hinterlassen (%2, Prozess %3 auf %4)</translation>
    </message>
    <message>
        <source>REDline not found at:
%1

Please install REDCINE-X Professional.</source>
        <translation>REDline nicht gefunden unter:
%1

Bitte installieren Sie REDCINE-X Professional.</translation>
    </message>
    <message>
        <source>REDline exited with code %1:
%2</source>
        <translation>REDline wurde mit Code %1 beendet:
%2</translation>
    </message>
    <message>
        <source>Conversion finished but the movie it wrote cannot be played (%1): %2
The movie was kept.</source>
        <translation>Konvertierung beendet, aber der geschriebene Film lässt sich nicht abspielen (%1): %2
Der Film wurde behalten.</translation>
    </message>
    <message>
        <source>Conversion finished but no output .mov was found in the destination folder.</source>
        <translation>Konvertierung beendet, aber im Zielordner wurde keine .mov-Datei gefunden.</translation>
    </message>
    <message>
        <source>No output folder selected. Tap &apos;Change&apos; to pick a destination.</source>
        <translation>Kein Ausgabeordner gewählt. Tippen Sie auf „Ändern“, um ein Ziel zu wählen.</translation>
    </message>
    <message>
        <source>No output folder selected. Tap &apos;Change&apos; to pick one.</source>
        <translation>Kein Ausgabeordner gewählt. Tippen Sie auf „Ändern“, um einen zu wählen.</translation>
    </message>
    <message>
        <source>No output folder selected. Click &apos;Change&apos; to pick a destination.</source>
        <translation>Kein Ausgabeordner gewählt. Klicken Sie auf „Ändern“, um ein Ziel zu wählen.</translation>
    </message>
    <message>
        <source>No output folder selected. Click &apos;Change&apos; to pick one.</source>
        <translation>Kein Ausgabeordner gewählt. Klicken Sie auf „Ändern“, um einen zu wählen.</translation>
    </message>
</context>
</TS>
