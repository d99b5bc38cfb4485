#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway home for one test executable: HOME, the XDG folders and the
// temporary folder all point into a fresh temporary directory, set before
// the application object exists so that the settings store, the desktop, the
// Videos folder and the D-Bus buses of the real user are never touched.
class TestEnvironment {
public:
    TestEnvironment();
    static TestEnvironment &instance();

    QString home() const;
    QString desktop() const { return home() + QStringLiteral("/Desktop"); }
    QString videos() const { return home() + QStringLiteral("/Videos"); }
    QString settingsFile() const;
    QString logFile() const { return desktop() + QStringLiteral("/Tarnel_debug.txt"); }

    // Removes the settings file so the next UserSettings starts empty.
    void clearSettings() const;
    // Replaces the settings file with raw bytes, as a hand-edited or damaged
    // file would be.
    void writeSettingsFile(const QByteArray &content) const;

private:
    QTemporaryDir m_root;
};

// Like QTEST_GUILESS_MAIN / QTEST_MAIN, with the throwaway home set up first.
#define TARNEL_TEST_MAIN_IMPL(TestObject, AppClass)                                                \
    int main(int argc, char *argv[]) {                                                             \
        TestEnvironment::instance();                                                               \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
#define TARNEL_TEST_MAIN(TestObject) TARNEL_TEST_MAIN_IMPL(TestObject, QCoreApplication)
