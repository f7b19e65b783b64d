#include "controls/AboutG3F.h"

#include "controls/LabeLink.h"
#include "controls/LabelG3D.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

#include <chrono>
#include <filesystem>

namespace {

TAboutG3F* g_aboutForm = nullptr;
bool g_splashMode = false;

// A one-pixel edge around r (right and bottom exclusive) with the inside
// filled by the button face: raised is light on top and left, sunken dark.
void DrawEdge(QPainter& painter, const QRect& r, bool raised, const QPalette& palette)
{
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = raised ? light : dark;
    const QColor bottomRight = raised ? dark : light;
    painter.fillRect(r.adjusted(1, 1, -1, -1), palette.color(QPalette::Button));
    painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// The designed text heights are pixels; Designer stores points only.
void SetPixelHeight(QWidget* widget, int pixels)
{
    QFont font = widget->font();
    font.setPixelSize(pixels);
    widget->setFont(font);
}

}  // namespace

std::uint32_t TickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

const std::uint32_t SplashStartTick = TickCount();

std::string& AboutExecutableOverride()
{
    static std::string path;
    return path;
}

std::string DescriptionFileFor(const std::string& executablePath)
{
    // The extension runs from the last "." of the file name; a name without
    // one gets ".txt" appended.
    const std::size_t nameStart = executablePath.find_last_of('/') + 1;
    const std::size_t dot = executablePath.find_last_of('.');
    const std::size_t stem = (dot != std::string::npos && dot >= nameStart) ? dot : executablePath.size();
    std::string candidate = executablePath.substr(0, stem) + ".txt";
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(candidate), error)) {
        return candidate;
    }
    return {};
}

TAboutG3F::TAboutG3F(bool splash, QWidget* parent) : QDialog(parent)
{
    ui_.setupUi(this);
    SetPixelHeight(this, 12);
    SetPixelHeight(ui_.LabelG3D1, 27);
    SetPixelHeight(ui_.LabelG3D2, 19);
    SetPixelHeight(ui_.LabelG3D3, 16);
    SetPixelHeight(ui_.LabeLink1, 13);
    SetPixelHeight(ui_.LabeLink2, 13);
    ui_.LabelG3D2->setText(tr("Version %1").arg(QStringLiteral(NORVANE_VERSION)));
    FitLabels();

    frameWidth_ = frameGeometry().width() - width();
    frameHeight_ = frameGeometry().height() - height();
    if (splash) {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    } else {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::MSWindowsFixedSizeDialogHint);
    }
    // The client area keeps its designed size in both modes; frames lie
    // outside it here.
    setFixedSize(285, 154);
    // Centred on the screen, not over the owner.
    if (const QScreen* shown = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
        move(shown->availableGeometry().center() - rect().center());
    }

    const std::string& overridden = AboutExecutableOverride();
    descriptionFile_ = DescriptionFileFor(
        overridden.empty() ? QCoreApplication::applicationFilePath().toStdString() : overridden);
    if (!descriptionFile_.empty()) {
        ui_.LabelG3D1->setCursor(Qt::PointingHandCursor);
        ui_.LabelG3D1->setToolTip(tr("説明ファイル表示"));
    }
    connect(ui_.LabelG3D1, &TLabelG3D::OnClick, this, &TAboutG3F::LabelG3D1Click);
}

TAboutG3F::~TAboutG3F()
{
    if (g_aboutForm == this) {
        g_aboutForm = nullptr;
    }
}

void TAboutG3F::FitLabels()
{
    // A label too narrow for its text in the font in use grows about its
    // centre, as the box centres them.
    for (TLabelG3D* label : {ui_.LabelG3D1, ui_.LabelG3D2, ui_.LabelG3D3}) {
        const int grow = label->fontMetrics().horizontalAdvance(label->text()) - label->TextRoom();
        if (grow > 0)
            label->setGeometry(label->x() - grow / 2, label->y(), label->width() + grow, label->height());
    }
}

void TAboutG3F::LabelG3D1Click()
{
    if (!descriptionFile_.empty()) {
        // Failing to open the description goes unreported.
        DesktopOpen(QUrl::fromLocalFile(QString::fromStdString(descriptionFile_)));
    }
}

void TAboutG3F::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colors = palette();
    QRect r = rect();
    DrawEdge(painter, r, true, colors);
    r.adjust(1, 1, -1, -1);
    DrawEdge(painter, r, false, colors);
    r.adjust(3, 3, -3, -3);
    DrawEdge(painter, r, true, colors);
    r.adjust(2, 2, -2, -2);
    r.translate(0, -1);
    FillGradient(painter, r, QColor(0, 0, 0), colors.color(QPalette::Button), false, false, false);

    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        const QRect box(14, 56, 40, 40);
        DrawEdge(painter, box, true, colors);
        DrawEdge(painter, box.adjusted(1, 1, -1, -1), false, colors);
        icon.paint(&painter, QRect(18, 60, 32, 32));
    }
}

bool ShowAbout(bool splash, QWidget* owner)
{
    // A splash still up is closed rather than left behind.
    CloseAbout();
    g_splashMode = splash;
    auto* dialog = new TAboutG3F(g_splashMode, owner);
    g_aboutForm = dialog;
    if (splash) {
        dialog->show();
        dialog->repaint();
        return true;
    }
    dialog->exec();
    CloseAbout();
    return true;
}

bool CloseAbout()
{
    if (g_aboutForm == nullptr) {
        return false;
    }
    TAboutG3F* dialog = g_aboutForm;
    g_aboutForm = nullptr;
    dialog->hide();
    dialog->deleteLater();
    return true;
}

TAboutG3F* AboutForm()
{
    return g_aboutForm;
}
