#include "TarnelApp.h"
#include "platform/Workspace.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[]) {
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnel"));
    QApplication::setDesktopFileName(QStringLiteral("tarnel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarnel.png")));

    TarnelApp tarnel(Workspace::shared());
    tarnel.newWindow();
    return app.exec();
}
