#pragma once

#include "controls/Colors.h"

#include <QCoreApplication>
#include <QLabel>
#include <QUrl>

#include <functional>
#include <string>
#include <string_view>

// Before translation (context TLabeLink).
inline constexpr std::string_view kMsgNoAssociation =
    QT_TRANSLATE_NOOP("TLabeLink", "関連起動ﾌﾟﾛｸﾞﾗﾑが有りません！");

// A target with an "@" after its first byte and a "." from its third byte on
// is an e-mail address and gets "mailto:" in front, unless it already holds
// "mailto:" or is a web address ("://").
std::string MailTarget(std::string_view target);

// The address the desktop is asked to open: URLs as they are, anything else
// as a local file.
QUrl TargetUrl(const QString& target);

// The text of the box shown when nothing could open target.
QString OpenFailureText(const QString& target);

// Asks the desktop to open url; false when it could not.
bool DesktopOpen(const QUrl& url);

// Replaceable desktop for tests: when set, open is used instead of the
// desktop services and failureBox instead of the error message box.
struct DesktopSeam {
    std::function<bool(const QUrl&)> open;
    std::function<void(const QString& text)> failureBox;
};
DesktopSeam& DesktopTestSeam();

// A label that behaves as a hyperlink: hand cursor, colours on hover and
// press, and on a left release over it the desktop opens the target.
class TLabeLink : public QLabel {
    Q_OBJECT
    Q_PROPERTY(uint EnterColor READ EnterColor WRITE SetEnterColor)
    Q_PROPERTY(uint DownColor READ DownColor WRITE SetDownColor)
    Q_PROPERTY(bool IsLink READ IsLink WRITE SetIsLink)
    Q_PROPERTY(QString LinkStr READ LinkStr WRITE SetLinkStr)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)

public:
    explicit TLabeLink(QWidget* parent = nullptr);

    TColor EnterColor() const { return enterColor_; }
    void SetEnterColor(TColor value);
    TColor DownColor() const { return downColor_; }
    void SetDownColor(TColor value);
    bool IsLink() const { return isLink_; }
    void SetIsLink(bool value);
    // The target to open; when empty the caption is the target.
    QString LinkStr() const { return linkStr_; }
    void SetLinkStr(const QString& value) { linkStr_ = value; }
    QColor FontColor() const;
    void SetFontColor(const QColor& value);
    bool Transparent() const { return !autoFillBackground(); }
    void SetTransparent(bool value);
    // The target after the mail rule.
    QString Target() const;
    // Whether the label keeps the size of its text (on by default).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // Sets the caption and, with AutoSize, fits the label to it. Hides
    // QLabel::setText so that forms and code holding this class resize it.
    void setText(const QString& text);

signals:
    void OnEnter();
    void OnExit();

protected:
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    void changeEvent(QEvent* event) override;

private:
    void TakeSavedCursor();
    void FitToText();

    TColor enterColor_ = clBlue;
    TColor downColor_ = clRed;
    bool isLink_ = true;
    QString linkStr_;
    QColor savedColor_ = Qt::black;
    bool savedColorTaken_ = false;
    bool entered_ = false;
    QCursor savedCursor_;
    bool savedCursorTaken_ = false;
    bool autoSize_ = true;
};
