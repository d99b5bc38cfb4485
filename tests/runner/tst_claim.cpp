#include "runner/OutputClaim.h"
#include "runner/OutputDiscovery.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <unistd.h>

class ClaimTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One claim per name: a second taker (even this process) learns who holds
    // it; the claim goes with its object, never taking a file that replaced it.
    void oneClaimPerName() {
        QTemporaryDir dir;
        const QString file = dir.filePath(".A_tarnel.tarnel-claim");
        {
            auto first = OutputClaim::take(dir.path(), "A_tarnel");
            QVERIFY(std::holds_alternative<OutputClaim>(first));
            const OutputClaim::Owner owner =
                OutputClaim::Owner::fromText(TestTools::readFile(file).toUtf8());
            QCOMPARE(owner.pid, qint64(::getpid()));
            QVERIFY(owner.processStart > 0 && !owner.isGone());
            const auto second = OutputClaim::take(dir.path(), "A_tarnel");
            QVERIFY(std::holds_alternative<OutputClaim::Held>(second));
            QCOMPARE(std::get<OutputClaim::Held>(second).owner.pid, qint64(::getpid()));
            QVERIFY(std::holds_alternative<OutputClaim>(OutputClaim::take(dir.path(), "B_tarnel")));
        }
        QVERIFY(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).isEmpty());

        // Someone removed the claim and made their own: it stays theirs.
        {
            auto mine = OutputClaim::take(dir.path(), "A_tarnel");
            QVERIFY(QFile::remove(file));
            TestTools::touch(file, 3);
        }
        QCOMPARE(QFileInfo(file).size(), 3);
        // No claim where no file can be made.
        QVERIFY(std::holds_alternative<PlatformError>(
            OutputClaim::take(dir.filePath("missing"), "A_tarnel")));
    }

    // Claims of a surely gone owner are collected once and removed (not the
    // movie); a live owner's, or one on another host, stay.
    void abandonedClaims_data() {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<bool>("gone");
        QTest::newRow("process ended") << "ended" << true;
        QTest::newRow("id taken by a later process") << "reused" << true;
        QTest::newRow("another boot") << "boot" << true;
        QTest::newRow("running") << "self" << false;
        QTest::newRow("another host") << "host" << false;
    }
    void abandonedClaims() {
        QFETCH(QString, owner);
        QFETCH(bool, gone);
        QTemporaryDir dir;
        OutputClaim::Owner o = OutputClaim::Owner::self();
        if (owner == "ended")
            o.pid = TestTools::endedProcessId();
        else if (owner == "reused")
            o.processStart += 1;
        else if (owner == "boot")
            o.boot = "another-boot";
        else if (owner == "host")
            o.host = "elsewhere.example", o.pid = TestTools::endedProcessId();
        QFile claim(dir.filePath(".C001_tarnel.tarnel-claim"));
        QVERIFY(claim.open(QIODevice::WriteOnly) && claim.write(o.toText()) > 0);
        claim.close();
        TestTools::touch(dir.filePath("C001_tarnel.mov"), 10);

        const OutputDiscovery::Snapshot snapshot = OutputDiscovery::snapshot(dir.path(), {});
        QCOMPARE(snapshot.claims, QStringList{".C001_tarnel.tarnel-claim"});
        const auto found = OutputClaim::collectAbandoned(dir.path(), snapshot.claims);
        QCOMPARE(found.size(), gone ? 1 : 0);
        QCOMPARE(claim.exists(), !gone);
        QVERIFY(QFile::exists(dir.filePath("C001_tarnel.mov")));
        if (gone) {
            QCOMPARE(found.first().movieName, "C001_tarnel");
            QCOMPARE(found.first().owner.pid, o.pid);
            QVERIFY(OutputClaim::collectAbandoned(dir.path(), snapshot.claims).isEmpty());
        }
    }
};

TARNEL_TEST_MAIN(ClaimTest)
#include "tst_claim.moc"
