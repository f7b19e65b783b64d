#include "ui/THintFilter.h"

#include "ui/QtBytes.h"
#include "ui/TForm1.h"
#include "ui/THintStyle.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QScreen>
#include <QStyleFactory>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <chrono>

namespace norvane {

void FormatHint(std::string& text, const QWidget* control, const QPoint& mousePos, QPoint& hintPos,
                const std::optional<std::string>& key)
{
    if (text.empty())
        return;
    hintPos = (control ? control->mapToGlobal(mousePos) : mousePos) + QPoint(-40, 30);
    if (key)
        text = *key + " : " + text;
    if (text.find('\r') == std::string::npos)
        text += ToBytes(QCoreApplication::translate("THintFilter", "！", "ends a one-line hint"));
    text = " " + text + " ";
}

THintFilter::THintFilter(const TForm1& form, QObject* parent)
    : QObject(parent), form_(form), clock_([] {
          return std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
              .count();
      })
{
}

THintFilter::~THintFilter()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void THintFilter::Install(int hintPause, int shortPause, int hidePause)
{
    hintPause_ = hintPause;
    shortPause_ = shortPause;
    hidePause_ = hidePause;
    // The new style needs a base of its own: replacing the old one deletes its base.
    QStyle* current = QApplication::style();
    if (auto* hintStyle = qobject_cast<THintStyle*>(current))
        current = hintStyle->baseStyle();
    QApplication::setStyle(new THintStyle(QStyleFactory::create(current->name()), *this));
    qApp->removeEventFilter(this);
    qApp->installEventFilter(this);
}

int THintFilter::WakeUpDelay() const
{
    if (QToolTip::isVisible())
        return shortPause_;
    if (hiddenAt_ && clock_() - *hiddenAt_ < kHintLinger)
        return shortPause_;
    return hintPause_;
}

QString THintFilter::DisplayText(std::string_view text)
{
    QString plain = FromBytes(text);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Escaped into rich text so that no hint is ever taken for markup; its
    // lines break only where the text does, never to fit a width.
    return QStringLiteral("<p style=\"white-space:pre\">") +
           plain.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) + QStringLiteral("</p>");
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
    if (event->type() == QEvent::Hide && watched->inherits("QTipLabel"))
        hiddenAt_ = clock_();
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    QWidget* owner = HintOwner(static_cast<QWidget*>(watched));
    if (!owner)
        return QObject::eventFilter(watched, event);
    return ShowHint(owner, static_cast<QHelpEvent*>(event)->globalPos());
}

bool THintFilter::ShowHint(QWidget* owner, const QPoint& globalPos)
{
    if (owner->window() == &form_ && !form_.ShowHints()) {
        QToolTip::hideText();
        return true;
    }
    const QByteArray stored = owner->toolTip().toUtf8();
    std::string text(stored.constData(), static_cast<std::size_t>(stored.size()));
    QPoint hintPos = globalPos;
    form_.AppShowHint(text, owner, owner->mapFromGlobal(globalPos), hintPos);
    if (text.empty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(hintPos, DisplayText(text), owner, QRect(), hidePause_);
    PlaceTip(hintPos);
    return true;
}

void THintFilter::PlaceTip(const QPoint& hintPos)
{
    // The hook has already chosen the place, so the tip goes exactly there
    // rather than below the cursor, kept on the screen.
    for (QWidget* tip : QApplication::topLevelWidgets()) {
        if (!tip->inherits("QTipLabel") || !tip->isVisible())
            continue;
        const QScreen* screen = QGuiApplication::screenAt(hintPos);
        if (!screen)
            screen = tip->screen();
        const QRect area = screen->geometry();
        const QSize size = tip->frameGeometry().size();
        QPoint p = hintPos;
        p.setX(std::max(area.left(), std::min(p.x(), area.right() + 1 - size.width())));
        p.setY(std::max(area.top(), std::min(p.y(), area.bottom() + 1 - size.height())));
        tip->move(p);
    }
}

}  // namespace norvane
