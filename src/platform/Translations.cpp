#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// The installed translators, owned by the application.
QPointer<QTranslator> &own() {
    static QPointer<QTranslator> translator;
    return translator;
}

QPointer<QTranslator> &qt() {
    static QPointer<QTranslator> translator;
    return translator;
}

} // namespace

bool Translations::install(const QLocale &locale) {
    remove();
    auto *app = QCoreApplication::instance();
    if (!app)
        return false;
    auto *translator = new QTranslator(app);
    if (!translator->load(locale, QStringLiteral("tarnel"), QStringLiteral("_"),
                          QStringLiteral(":/i18n"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    own() = translator;
    // Qt's own texts in the same language, where the system has them.
    auto *qtTexts = new QTranslator(app);
    if (qtTexts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtTexts);
        qt() = qtTexts;
    } else {
        delete qtTexts;
    }
    return true;
}

void Translations::remove() {
    for (QPointer<QTranslator> *installed : {&own(), &qt()}) {
        if (*installed) {
            QCoreApplication::removeTranslator(*installed);
            delete installed->data();
        }
        *installed = nullptr;
    }
}
