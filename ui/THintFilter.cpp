#include "ui/THintFilter.h"

#include "ui/TForm1.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace norvane {

THintFilter::THintFilter(const TForm1& form, QObject* parent) : QObject(parent), form_(form) {}

QString THintFilter::DisplayText(std::string_view text)
{
    QString plain = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Escaped into rich text so that no hint is ever taken for markup.
    return Qt::convertFromPlainText(plain, Qt::WhiteSpacePre);
}

QWidget* THintFilter::HintOwner(QWidget* w)
{
    while (w) {
        if (!w->toolTip().isEmpty())
            return w;
        if (w->isWindow())
            return nullptr;
        w = w->parentWidget();
    }
    return nullptr;
}

bool THintFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* help = static_cast<QHelpEvent*>(event);
    QWidget* owner = HintOwner(static_cast<QWidget*>(watched));
    if (!owner)
        return QObject::eventFilter(watched, event);
    if (owner->window() == &form_ && !form_.ShowHints()) {
        QToolTip::hideText();
        return true;
    }
    const QByteArray stored = owner->toolTip().toUtf8();
    std::string text(stored.constData(), static_cast<std::size_t>(stored.size()));
    QPoint hintPos = help->globalPos();
    form_.AppShowHint(text, owner, owner->mapFromGlobal(help->globalPos()), hintPos);
    if (text.empty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(hintPos, DisplayText(text), owner, QRect(), hidePause_);
    return true;
}

}  // namespace norvane
