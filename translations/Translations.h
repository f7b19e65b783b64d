#pragma once

#include "engine/MessageText.h"

#include <QTranslator>

namespace norvane {

// The catalogues of one language, installed into the application for the
// object's lifetime: Qt's own (its dialogs and standard buttons, from
// QLibraryInfo's translations folder) and the program's (built in; none for
// Japanese, the source language). Made before the first window.
class Translations {
public:
    explicit Translations(Language language);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

private:
    QTranslator qt_;
    QTranslator own_;
    bool qtInstalled_ = false;
    bool ownInstalled_ = false;
};

}  // namespace norvane
