#include "FormTestSupport.h"

#include "ui/THintFilter.h"

#include <QHelpEvent>
#include <QScreen>
#include <QToolTip>

namespace norvane::test {
namespace {

class KeyPanel : public FormTest {
protected:
    void SetUp() override
    {
        WriteIni("", "Dat1=Received\r\nDat2=;Date\r\nDat3=X-MAILER\r\n");
        Start();
    }

    std::string Hint(QWidget* control, QPoint mouse, QPoint* where = nullptr)
    {
        std::string text = control->toolTip().toStdString();
        QPoint pos;
        form->AppShowHint(text, control, mouse, pos);
        if (where)
            *where = pos;
        return text;
    }
};

TEST_F(KeyPanel, ShowsTheKeyListSortedWithTicks)
{
    EXPECT_EQ(PanelItems(), (Cells{"-Date", "+Received", "+X-MAILER"}));
    EXPECT_EQ(Panel().currentRow(), -1);
}

TEST_F(KeyPanel, TickingChangesTheEntryInPlaceInItsStoredCase)
{
    struct Case {
        const char* item;
        KeyList keys;
    };
    const Case cases[] = {
        {"X-MAILER", {"Received", ";Date", ";X-MAILER"}},
        {"Date", {"Received", "Date", ";X-MAILER"}},
        {"X-MAILER", {"Received", "Date", "X-MAILER"}},
        {"Received", {";Received", "Date", "X-MAILER"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        Panel().ToggleItemCheck(PanelIndex(c.item));
        EXPECT_EQ(form->Keys(), c.keys);
    }
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(KeyPanel, RightButtonToggleActsOnTheItemUnderTheMouse)
{
    Panel().setCurrentRow(PanelIndex("Date"));
    const QRect rect = Panel().visualItemRect(Panel().item(PanelIndex("Received")));
    QTest::mouseClick(Panel().viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(Panel().CheckCell(rect).center()));
    EXPECT_EQ(form->Keys(), (KeyList{";Received", ";Date", "X-MAILER"}));
    EXPECT_FALSE(Panel().Checked(PanelIndex("Received")));
    EXPECT_EQ(Panel().currentRow(), PanelIndex("Date"));
}

TEST_F(KeyPanel, AnItemTheKeyListDoesNotHoldGivesMessage2)
{
    const int k = Panel().addItem(QStringLiteral("Ghost"));
    Panel().ToggleItemCheck(k);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "\"Ghost\"\r\r登録されていません！");
    EXPECT_TRUE(Panel().Checked(k));
    EXPECT_EQ(form->Keys().Count(), 3u);
}

TEST_F(KeyPanel, DoubleClickCopiesTheItemIntoEdit1)
{
    auto* edit = Widget<QLineEdit>("Edit1");
    form->ChkListBoxEx1DblClick();
    EXPECT_TRUE(edit->text().isEmpty());
    Panel().setCurrentRow(PanelIndex("Received"));
    form->ChkListBoxEx1DblClick();
    EXPECT_EQ(edit->text(), "Received");
    EXPECT_TRUE(Button(4)->isEnabled());
}

TEST_F(KeyPanel, AttachmentOptionEnablesTheTracesOption)
{
    Box(6)->setChecked(true);
    Box(5)->setChecked(true);
    EXPECT_TRUE(Box(6)->isEnabled());
    Box(5)->setChecked(false);
    EXPECT_FALSE(Box(6)->isEnabled());
    EXPECT_TRUE(Box(6)->isChecked());
}

TEST_F(KeyPanel, AppShowHintFormatsAndPlacesTheHint)
{
    QPoint pos;
    EXPECT_EQ(Hint(Box(1), QPoint(5, 6), &pos), " バックアップファイルを作成します！ ");
    EXPECT_EQ(pos, Box(1)->mapToGlobal(QPoint(5, 6)) + QPoint(-40, 30));
    EXPECT_EQ(Hint(Box(3), QPoint(0, 0)), " " + Box(3)->toolTip().toStdString() + " ");
    EXPECT_NE(Box(3)->toolTip().indexOf(QLatin1Char('\r')), -1);
    EXPECT_EQ(Hint(Button(5), QPoint(1, 1)), " メールヘッダーキーを削除します！ ");
    Panel().setCurrentRow(PanelIndex("Received"));
    EXPECT_EQ(Hint(Button(5), QPoint(1, 1)), " Received : メールヘッダーキーを削除します！ ");
    std::string empty;
    pos = QPoint(7, 7);
    form->AppShowHint(empty, Box(1), QPoint(1, 1), pos);
    EXPECT_EQ(empty, "");
    EXPECT_EQ(pos, QPoint(7, 7));
}

TEST_F(KeyPanel, HintOptionSwitchesTheMainWindowsHints)
{
    QWidget* button = Button(1);
    // The sentinel stays when the hook shows nothing.
    auto help = [&] {
        QToolTip::showText(QPoint(1, 1), QStringLiteral("sentinel"));
        QHelpEvent event(QEvent::ToolTip, QPoint(3, 3), button->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(button, &event);
        return QToolTip::text();
    };
    EXPECT_TRUE(help().contains(QStringLiteral("メールファイルを選択します")));
    Box(2)->setChecked(false);
    EXPECT_FALSE(form->ShowHints());
    EXPECT_EQ(help(), QStringLiteral("sentinel"));
    Box(2)->setChecked(true);
    EXPECT_TRUE(help().contains(QStringLiteral("メールファイルを選択します")));
    QToolTip::hideText();
}

TEST_F(KeyPanel, HintWindowStandsWhereTheHookPutItOnTheScreen)
{
    QWidget* button = Button(6);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto show = [&](QPoint mouse) -> const QWidget* {
        QHelpEvent event(QEvent::ToolTip, mouse, button->mapToGlobal(mouse));
        QApplication::sendEvent(button, &event);
        for (const QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                return w;
        return nullptr;
    };
    const QPoint mouse(4, 5);
    const QWidget* tip = show(mouse);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->pos(), button->mapToGlobal(mouse) + QPoint(-40, 30));
    QToolTip::hideText();

    // Near the screen's bottom-right corner the tip moves back onto it.
    const QPoint corner = button->mapFromGlobal(screen.bottomRight() - QPoint(2, 2));
    tip = show(corner);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->frameGeometry().bottomRight(), screen.bottomRight());
    QToolTip::hideText();
}

using HintPause = FormTest;

// Hides the tooltip at once (hiding it through QToolTip takes a while).
void HideTipNow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            w->hide();
}

TEST_F(HintPause, MovingOnWhileAHintIsUpWaitsTheShortPause)
{
    WriteIni("HntPaus=400\r\nHStPaus=70\r\nHHdPaus=900\r\n");
    Start();
    std::int64_t now = 0;
    form->HintFilter().SetClock([&now] { return now; });
    HideTipNow();
    now = 10000;
    const QStyle& style = *QApplication::style();
    auto pause = [&](QWidget* w) { return style.styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, w); };
    EXPECT_EQ(pause(Button(4)), 400);
    // The filter's short pause replaces the toolkit's quick follow-up.
    EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_FallAsleepDelay, nullptr, Button(4)), 0);

    QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), Button(1)->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(Button(1), &help);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(pause(Button(6)), 70);
    EXPECT_EQ(pause(Box(3)), 70);

    // Gone a moment ago, the hint still counts while the pointer crosses a gap.
    HideTipNow();
    now += THintFilter::kHintLinger - 1;
    EXPECT_EQ(pause(Button(6)), 70);
    now += 1;
    EXPECT_EQ(pause(Button(6)), 400);
}

TEST(HintText, IsShownAsPlainTextWithCrAsLineBreak)
{
    const QString shown = THintFilter::DisplayText(" <b>a</b>\rb ");
    EXPECT_TRUE(shown.contains(QStringLiteral("&lt;b&gt;a&lt;/b&gt;")));
    EXPECT_TRUE(shown.contains(QStringLiteral("<br")));
    EXPECT_FALSE(shown.contains(QLatin1Char('\r')));
}

}  // namespace
}  // namespace norvane::test
