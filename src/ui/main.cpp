#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream(stderr) << "Tarnel: the windows are not built yet; the core library and its "
                           "tests are.\n";
    return 0;
}
