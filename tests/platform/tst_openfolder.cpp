#include "platform/OpenFolder.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <sys/stat.h>

class OpenFolderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A listing far longer than one read of records gives every entry once,
    // with its kind (asked of the entry itself when the listing does not
    // say), and never "." or "..".
    void listsEveryEntryOnce() {
        QTemporaryDir dir;
        QHash<QByteArray, OpenFolder::Kind> made;
        const QByteArray pad(120, 'x'); // long names: many reads of records
        for (int i = 0; i < 1500; ++i) {
            const QByteArray name = QByteArray::number(i) + pad + ".mov";
            TestTools::touch(dir.filePath(QString::fromLatin1(name)), 1);
            made.insert(name, OpenFolder::Kind::file);
        }
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QVERIFY(QFile::link(dir.filePath("sub"), dir.filePath("link")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        made.insert("sub", OpenFolder::Kind::folder);
        made.insert("link", OpenFolder::Kind::link);
        made.insert("pipe", OpenFolder::Kind::other);

        OpenFolder folder(dir.path());
        QHash<QByteArray, OpenFolder::Kind> listed;
        OpenFolder::Entry entry;
        while (folder.next(entry)) {
            const QByteArray name = entry.name.toByteArray();
            const auto kind = entry.kind != OpenFolder::Kind::unknown
                                  ? entry.kind
                                  : folder.status(name.constData())->kind;
            QVERIFY2(!listed.contains(name), name.constData());
            listed.insert(name, kind);
            QCOMPARE(entry.inode, folder.status(name.constData())->inode);
        }
        QCOMPARE(listed, made);
        QVERIFY(!folder.next(entry));

        // A folder reached through a link is refused when asked.
        QVERIFY(OpenFolder(dir.filePath("link")).isOpen());
        const OpenFolder refused(dir.filePath("link"), OpenFolder::Links::refuse);
        QVERIFY(!refused.isOpen() && refused.openError() != 0);
    }
};

TARNEL_TEST_MAIN(OpenFolderTest)
#include "tst_openfolder.moc"
