// Draws the program's 32 x 32 icon: a letter whose lower edge is a comb,
// for the header lines it combs out. Writes the PNG named on the command
// line (default controls/icons/norvane.png).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral("controls/icons/norvane.png");

    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, false);

    const QColor navy(0, 0, 128);
    const QColor paper(255, 255, 255);
    const QColor flap(192, 192, 192);
    const QColor comb(128, 0, 0);
    const QColor teeth(255, 0, 0);
    const QColor line(0, 128, 128);

    // Envelope body and flap.
    p.setPen(navy);
    p.setBrush(paper);
    p.drawRect(2, 5, 27, 17);
    p.setBrush(flap);
    p.drawPolygon(QPolygon({QPoint(2, 5), QPoint(16, 15), QPoint(29, 5)}));
    // Header lines on the letter, the lowest one being combed away.
    p.setPen(line);
    p.drawLine(6, 17, 13, 17);
    p.drawLine(19, 17, 25, 17);
    p.drawLine(6, 20, 25, 20);

    // The comb: a back and a row of teeth under the envelope.
    p.setPen(Qt::NoPen);
    p.setBrush(comb);
    p.drawRect(3, 23, 26, 3);
    p.setBrush(teeth);
    for (int x = 4; x <= 27; x += 3) {
        p.drawRect(x, 26, 1, 4);
    }
    p.end();
    return icon.save(out, "PNG") ? 0 : 1;
}
