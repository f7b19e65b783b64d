#include "controls/Colors.h"

QColor ResolveColor(TColor color, const QPalette& palette)
{
    if ((color & kSystemColorFlag) == 0) {
        return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    }
    QPalette::ColorRole role = QPalette::Window;
    switch (color & 0xFF) {
    case 5: role = QPalette::Base; break;                 // window
    case 6: case 21: role = QPalette::Shadow; break;      // frame, dark shadow
    case 8: role = QPalette::Text; break;                 // window text
    case 9: case 18: role = QPalette::ButtonText; break;  // caption text, button text
    case 2: case 13: role = QPalette::Highlight; break;   // active caption, highlight
    case 14: role = QPalette::HighlightedText; break;
    case 0: case 15: role = QPalette::Button; break;      // scroll bar, button face
    case 16: role = QPalette::Dark; break;                // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 20: role = QPalette::Light; break;               // button highlight
    case 22: role = QPalette::Midlight; break;            // 3D light
    case 23: role = QPalette::ToolTipText; break;
    case 24: role = QPalette::ToolTipBase; break;
    default: break;
    }
    return palette.color(role);
}

TColor ToTColor(const QColor& color)
{
    return RGBColor(color.red(), color.green(), color.blue());
}
