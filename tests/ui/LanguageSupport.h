#pragma once

#include "engine/MessageText.h"
#include "translations/Translations.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QXmlStreamReader>

#include <memory>
#include <vector>

namespace norvane::test {

// One language for a test's length: the core's messages and the window's
// catalogues, back to Japanese without catalogues afterwards.
class LanguageScope {
public:
    explicit LanguageScope(Language language) : translations_(std::make_unique<Translations>(language))
    {
        SetMessageLanguage(language);
    }
    ~LanguageScope() { SetMessageLanguage(Language::Japanese); }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    std::unique_ptr<Translations> translations_;
};

// Kana, kanji, and full- and half-width forms.
inline bool HasJapanese(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

struct ShownText {
    QString where;
    QString text;
};

// Every text a window shows of its own: its title, the captions of its
// buttons, labels, tabs and actions, and every hint.
inline std::vector<ShownText> ShownTexts(const QWidget& window)
{
    std::vector<ShownText> texts;
    const auto add = [&texts](const QObject& owner, const char* what, const QString& text) {
        if (!text.isEmpty())
            texts.push_back({owner.objectName() + QLatin1Char('.') + QLatin1String(what), text});
    };
    add(window, "windowTitle", window.windowTitle());
    add(window, "toolTip", window.toolTip());
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        add(*w, "toolTip", w->toolTip());
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            add(*w, "text", button->text());
        if (const auto* label = qobject_cast<const QLabel*>(w))
            add(*w, "text", label->text());
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                add(*w, "tabText", tabs->tabText(i));
    }
    for (const QAction* action : window.findChildren<QAction*>())
        add(*action, "text", action->text());
    return texts;
}

struct TsMessage {
    QString context;
    QString source;
    QString comment;
    QString translation;
    QString type;  // the translation's type attribute: "unfinished", "vanished", ...
};

// The messages of a translation file, or none when it cannot be read.
inline std::vector<TsMessage> ReadTs(const QString& path, QString* language = nullptr)
{
    std::vector<TsMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("message"))
            messages.push_back(message);
        if (!xml.isStartElement())
            continue;
        const QString name = xml.name().toString();
        if (name == QLatin1String("TS") && language)
            *language = xml.attributes().value(QLatin1String("language")).toString();
        else if (name == QLatin1String("name"))
            context = xml.readElementText();
        else if (name == QLatin1String("message"))
            message = TsMessage{context, {}, {}, {}, {}};
        else if (name == QLatin1String("source"))
            message.source = xml.readElementText();
        else if (name == QLatin1String("comment"))
            message.comment = xml.readElementText();
        else if (name == QLatin1String("translation")) {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            message.translation = xml.readElementText();
        }
    }
    if (xml.hasError())
        messages.clear();
    return messages;
}

inline QString EnglishTs()
{
    return QStringLiteral(NORVANE_SOURCE_DIR "/translations/norvane_en.ts");
}

}  // namespace norvane::test
