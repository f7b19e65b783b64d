// Renders the About box offscreen and writes it as a PNG (default
// docs/about.png), to look at the dialog without a display. Offscreen
// windows have no frames, so a plain caption bar with the dialog's title is
// drawn above the grabbed client area.
#include "controls/AboutG3F.h"
#include "controls/Controls.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QApplication::setWindowIcon(ApplicationIcon());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/about.png");

    TAboutG3F about(false);
    about.show();
    QApplication::processEvents();
    const QPixmap client = about.grab();

    constexpr int kCaption = 20;
    QPixmap picture(client.width(), client.height() + kCaption);
    picture.fill(QColor(0, 0, 128));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    painter.setFont(about.font());
    painter.drawText(QRect(6, 0, client.width() - 12, kCaption), Qt::AlignLeft | Qt::AlignVCenter,
                     about.windowTitle());
    painter.drawText(QRect(6, 0, client.width() - 12, kCaption), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("×"));
    painter.drawPixmap(0, kCaption, client);
    painter.end();
    return picture.save(out, "PNG") ? 0 : 1;
}
