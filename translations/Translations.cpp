#include "translations/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace norvane {

namespace {

// The code that names a language's catalogues.
QString LanguageCode(Language language)
{
    return language == Language::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
}

}  // namespace

Translations::Translations(Language language)
{
    const QString code = LanguageCode(language);
    if (qt_.load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qtInstalled_ = QCoreApplication::installTranslator(&qt_);
    if (language != Language::Japanese && own_.load(QStringLiteral("norvane_") + code, QStringLiteral(":/translations")))
        ownInstalled_ = QCoreApplication::installTranslator(&own_);
}

Translations::~Translations()
{
    if (ownInstalled_)
        QCoreApplication::removeTranslator(&own_);
    if (qtInstalled_)
        QCoreApplication::removeTranslator(&qt_);
}

}  // namespace norvane
