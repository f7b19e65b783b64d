#include "FormTestSupport.h"
#include "LanguageSupport.h"

#include "controls/AboutG3F.h"
#include "ui/THintFilter.h"
#include "ui/TextFit.h"

#include <QHeaderView>
#include <QTabBar>
#include <QToolTip>

namespace norvane::test {

namespace {

constexpr Language kLanguages[] = {Language::Japanese, Language::English};

std::string Where(const QWidget& widget)
{
    QString caption;
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        caption = button->text();
    else if (const auto* label = qobject_cast<const QLabel*>(&widget))
        caption = label->text();
    return (widget.objectName() + QStringLiteral(" \"") + caption + QLatin1Char('"')).toStdString();
}

// The window's buttons, check boxes and labels that carry a caption.
std::vector<QWidget*> Captioned(const QWidget& window)
{
    std::vector<QWidget*> found;
    for (QWidget* w : window.findChildren<QWidget*>())
        if ((qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w)) && CaptionAdvance(*w) > 0)
            found.push_back(w);
    return found;
}

class TextsFit : public FormTest {
protected:
    // At the designed size, on a mail whose keys get every mark.
    void StartAnalyzed()
    {
        WriteIni("ChkBFlg=0x02\r\n", "Dat1=Received\r\nDat2=;Subject\r\n");
        const std::string mail = dir.File("a.eml");
        WriteFile(mail, "Received: x\r\nSubject: s\r\nX-Mailer: m\r\n\r\nbody\r\n");
        Start({mail});
        form->Button3Click();
        QApplication::processEvents();
    }

    void ExpectCaptionsFit()
    {
        for (const QWidget* w : Captioned(*form)) {
            // The folder label shows the user's folder, cut at the window's edge.
            if (w->objectName() == QLatin1String("Label1"))
                continue;
            // A page laid out by a layout gets its geometry when it is shown.
            if (w->parentWidget()->layout() && !w->isVisible())
                continue;
            SCOPED_TRACE(Where(*w));
            EXPECT_LE(CaptionAdvance(*w), CaptionRoom(*w));
            // The caption is not cut off by its panel either.
            const QRect inside = w->parentWidget()->contentsRect();
            const int captionEnd = w->x() + (w->width() - CaptionRoom(*w)) + CaptionAdvance(*w);
            EXPECT_LE(captionEnd, inside.right() + 1);
        }
    }

    void ExpectNoOverlap()
    {
        const auto widgets = Captioned(*form);
        for (const QWidget* a : widgets) {
            for (const QWidget* b : widgets) {
                if (a != b && a->parentWidget() == b->parentWidget() && a->x() < b->x()) {
                    EXPECT_FALSE(a->geometry().intersects(b->geometry())) << Where(*a) << " and " << Where(*b);
                }
            }
        }
    }

    void ExpectGridTextsFit()
    {
        const TStringGrid& grid = Grid();
        const QHeaderView& top = *grid.horizontalHeader();
        const QHeaderView& side = *grid.verticalHeader();
        const auto advance = [&](int col, int row) {
            return grid.fontMetrics().horizontalAdvance(QString::fromStdString(grid.Cell(col, row)));
        };
        EXPECT_LE(advance(0, 0), HeaderTextRoom(top, grid.ColWidth(0))) << grid.Cell(0, 0);
        for (int col = 1; col < grid.ColCount(); ++col)
            EXPECT_LE(advance(col, 0), HeaderTextRoom(top, grid.ColWidth(col))) << grid.Cell(col, 0);
        for (int row = 1; row < grid.RowCount(); ++row) {
            EXPECT_LE(advance(0, row), HeaderTextRoom(side, grid.ColWidth(0))) << grid.Cell(0, row);
            // Counts and marks; file names and keys are the user's data.
            for (const int col : {3, 4})
                EXPECT_LE(advance(col, row), CellTextRoom(grid, grid.ColWidth(col))) << grid.Cell(col, row);
        }
    }
};

}  // namespace

TEST(FitColumns, WidensWhatDoesNotFitAndMovesTheColumnsRightOfIt)
{
    QWidget panel;
    panel.resize(400, 60);
    QFont font = panel.font();
    font.setPixelSize(12);
    panel.setFont(font);
    const auto box = [&](const QString& text, int x, int y, int width) {
        auto* b = new QCheckBox(text, &panel);
        b->setGeometry(x, y, width, 17);
        return b;
    };
    QCheckBox* a1 = box(QStringLiteral("a"), 10, 4, 60);
    QCheckBox* a2 = box(QStringLiteral("a much longer caption"), 10, 20, 60);
    QCheckBox* b1 = box(QStringLiteral("b"), 76, 4, 60);
    QCheckBox* c1 = box(QStringLiteral("c"), 150, 4, 50);
    QCheckBox* c2 = box(QStringLiteral("c"), 150, 20, 50);
    ASSERT_GT(CaptionAdvance(*a2), CaptionRoom(*a2));
    const int widened = 60 + CaptionAdvance(*a2) - CaptionRoom(*a2);

    FitColumns({{a1, a2}, {b1}, {c1, c2}});
    EXPECT_EQ(a1->geometry(), QRect(10, 4, 60, 17));
    EXPECT_EQ(a2->geometry(), QRect(10, 20, widened, 17));
    EXPECT_EQ(CaptionAdvance(*a2), CaptionRoom(*a2));
    // The designed gap of 6 pixels after the column, and of 14 after the next.
    EXPECT_EQ(b1->geometry(), QRect(10 + widened + 6, 4, 60, 17));
    EXPECT_EQ(c1->geometry(), QRect(b1->x() + 60 + 14, 4, 50, 17));
    EXPECT_EQ(c2->x(), c1->x());

    // Everything fits now: a second pass changes nothing.
    const QRect before = c2->geometry();
    FitColumns({{a1, a2}, {b1}, {c1, c2}});
    EXPECT_EQ(c2->geometry(), before);
}

TEST_F(TextsFit, EveryCaptionFitsAtTheDesignedSizeInBothLanguages)
{
    for (const Language language : kLanguages) {
        SCOPED_TRACE(language == Language::Japanese ? "Japanese" : "English");
        LanguageScope scope(language);
        StartAnalyzed();
        EXPECT_EQ(form->size(), QSize(333, 292));
        EXPECT_EQ(Grid().Cell(4, 1), "Del");
        EXPECT_EQ(Grid().Cell(4, 3), "New");
        for (const int page : {0, 1, 2}) {
            Widget<QTabWidget>("PageControl1")->setCurrentIndex(page);
            QApplication::processEvents();
            ExpectCaptionsFit();
            ExpectNoOverlap();
        }
        ExpectGridTextsFit();
        const QTabBar& tabs = *Widget<QTabWidget>("PageControl1")->tabBar();
        for (int i = 0; i < tabs.count(); ++i)
            EXPECT_LT(tabs.fontMetrics().horizontalAdvance(tabs.tabText(i)), tabs.tabRect(i).width());

        TAboutG3F about(false);
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            EXPECT_LE(CaptionAdvance(*label), CaptionRoom(*label)) << Where(*label);
            EXPECT_TRUE(about.rect().contains(label->geometry())) << Where(*label);
        }
        Close();
    }
}

TEST(HintLines, BreakOnlyWhereTheHintDoes)
{
    const auto tip = [](const std::string& text) -> QSize {
        QToolTip::showText(QPoint(10, 10), THintFilter::DisplayText(text));
        QSize size;
        for (const QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                size = w->size();
        QToolTip::hideText();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel"))
                w->hide();
        return size;
    };
    const std::string longLine = " Shows the selected mail files and the header keys Analyze found in them! ";
    const std::string japaneseLine = " 選択メールファイルとヘッダーキー調査結果を表示します！長い一行のヒントです ";
    const QSize one = tip(" a ");
    ASSERT_TRUE(one.isValid());
    const QFontMetrics metrics(QToolTip::font());
    for (const std::string& line : {longLine, japaneseLine}) {
        SCOPED_TRACE(line);
        const QSize shown = tip(line);
        EXPECT_EQ(shown.height(), one.height());
        EXPECT_GE(shown.width(), metrics.horizontalAdvance(QString::fromStdString(line)));
    }
    // Three lines of their own, each long: exactly three lines high.
    const QSize three = tip(longLine + "\r" + japaneseLine + "\r" + longLine);
    EXPECT_NEAR(three.height() - one.height(), 2 * metrics.lineSpacing(), 2);
}

}  // namespace norvane::test
