#include "controls/LabeLink.h"

#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>

std::string MailTarget(std::string_view target)
{
    // Byte positions counted from 1; 0 when absent.
    const auto position = [&](char c) {
        const std::size_t found = target.find(c);
        return found == std::string_view::npos ? std::size_t{0} : found + 1;
    };
    if (position('@') > 1 && position('.') > 2 &&
        target.find("mailto:") == std::string_view::npos &&
        target.find("://") == std::string_view::npos) {
        return "mailto:" + std::string(target);
    }
    return std::string(target);
}

QUrl TargetUrl(const QString& target)
{
    if (target.contains(QStringLiteral("://")) ||
        target.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive)) {
        return QUrl(target, QUrl::TolerantMode);
    }
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

QString OpenFailureText(const QString& target)
{
    return target + QStringLiteral("\r\r") + QCoreApplication::translate("TLabeLink", kMsgNoAssociation.data());
}

DesktopSeam& DesktopTestSeam()
{
    static DesktopSeam seam;
    return seam;
}

bool DesktopOpen(const QUrl& url)
{
    const DesktopSeam& seam = DesktopTestSeam();
    return seam.open ? seam.open(url) : QDesktopServices::openUrl(url);
}

namespace {

void ShowOpenFailure(const QString& text)
{
    const DesktopSeam& seam = DesktopTestSeam();
    if (seam.failureBox) {
        seam.failureBox(text);
        return;
    }
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Critical, QString(), shown, QMessageBox::Ok);
    box.exec();
}

}  // namespace

TLabeLink::TLabeLink(QWidget* parent) : QLabel(parent)
{
    QFont designed = font();
    designed.setFamily(QStringLiteral("Times New Roman"));
    designed.setBold(true);
    designed.setUnderline(true);
    setFont(designed);
    // A caption is shown as written, never guessed to be rich text.
    setTextFormat(Qt::PlainText);
    SetFontColor(ResolveColor(clNavy, palette()));
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
}

QColor TLabeLink::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TLabeLink::SetFontColor(const QColor& value)
{
    if (value == FontColor()) {
        return;
    }
    QPalette changed = palette();
    changed.setColor(QPalette::WindowText, value);
    setPalette(changed);
}

void TLabeLink::SetTransparent(bool value)
{
    if (value == Transparent()) {
        return;
    }
    setAutoFillBackground(!value);
    update();
}

void TLabeLink::SetEnterColor(TColor value)
{
    if (value == enterColor_) {
        return;
    }
    enterColor_ = value;
    update();
}

void TLabeLink::SetDownColor(TColor value)
{
    if (value == downColor_) {
        return;
    }
    downColor_ = value;
    update();
}

void TLabeLink::TakeSavedCursor()
{
    if (!savedCursorTaken_) {
        savedCursor_ = cursor();
        savedCursorTaken_ = true;
    }
}

void TLabeLink::SetIsLink(bool value)
{
    if (value == isLink_) {
        return;
    }
    TakeSavedCursor();
    isLink_ = value;
    if (isLink_) {
        setCursor(Qt::PointingHandCursor);
    } else {
        setCursor(savedCursor_);
    }
    update();
}

void TLabeLink::SetAutoSize(bool value)
{
    if (value == autoSize_) {
        return;
    }
    autoSize_ = value;
    FitToText();
}

void TLabeLink::setText(const QString& text)
{
    QLabel::setText(text);
    FitToText();
}

void TLabeLink::FitToText()
{
    if (autoSize_) {
        resize(sizeHint());
    }
}

void TLabeLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitToText();
    }
}

QString TLabeLink::Target() const
{
    const QString target = linkStr_.isEmpty() ? text() : linkStr_;
    return QString::fromStdString(MailTarget(target.toStdString()));
}

bool TLabeLink::event(QEvent* event)
{
    // The cursor to fall back on is the one in force once the form has set
    // its properties, which it has when the label is first shown.
    if (event->type() == QEvent::Show) {
        TakeSavedCursor();
    }
    return QLabel::event(event);
}

void TLabeLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    if (isLink_) {
        // A second enter without a leave keeps the colour taken first.
        if (!entered_) {
            savedColor_ = FontColor();
            savedColorTaken_ = true;
        }
        SetFontColor(ResolveColor(enterColor_, palette()));
        repaint();
    }
    entered_ = true;
    emit OnEnter();
}

void TLabeLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    entered_ = false;
    if (isLink_ && savedColorTaken_) {
        SetFontColor(savedColor_);
        repaint();
    }
    emit OnExit();
}

void TLabeLink::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    event->accept();
    if (isLink_ && event->button() == Qt::LeftButton) {
        SetFontColor(ResolveColor(downColor_, palette()));
        update();
    }
}

void TLabeLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    event->accept();
    const QString target = linkStr_.isEmpty() ? text() : linkStr_;
    if (!isLink_ || event->button() != Qt::LeftButton || target.isEmpty()) {
        return;
    }
    // Where the pointer is now, not where the event says it was.
    if (rect().contains(mapFromGlobal(QCursor::pos()))) {
        const QString opened = Target();
        if (!DesktopOpen(TargetUrl(opened))) {
            ShowOpenFailure(OpenFailureText(opened));
        }
    } else if (savedColorTaken_) {
        SetFontColor(savedColor_);
    }
    update();
}
