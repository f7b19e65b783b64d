// Renders the About box offscreen and writes it as a PNG (default
// docs/about.png), to look at the dialog without a display.
#include "controls/AboutG3F.h"
#include "controls/Controls.h"

#include <QApplication>
#include <QPixmap>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QApplication::setWindowIcon(ApplicationIcon());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/about.png");

    TAboutG3F about(true);
    about.show();
    QApplication::processEvents();
    const QPixmap picture = about.grab();
    return picture.save(out, "PNG") ? 0 : 1;
}
