#pragma once

#include "../core/TestFiles.h"
#include "app/BusyCursor.h"
#include "app/Prompt.h"
#include "controls/ChkLstEx.h"
#include "settings/Settings.h"
#include "ui/FormDialogs.h"
#include "ui/QtCursorScreen.h"
#include "ui/TForm1.h"
#include "ui/TStringGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace norvane::test {

// Answers the fixed messages instead of a user and keeps what was shown.
class RecordingPrompt : public Prompt {
public:
    struct Shown {
        PromptKind kind;
        std::string caption;
        std::string text;
    };

    bool Show(PromptKind kind, std::string_view caption, std::string_view text) override
    {
        shown.push_back({kind, std::string(caption), std::string(text)});
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Shown> shown;
    std::deque<bool> answers;  // Yes/No for the questions, in order; No when none left
};

// Answers the error box and the file-open dialog.
class RecordingDialogs : public FormDialogs {
public:
    void ShowError(QWidget*, const std::string& message) override { errors.push_back(message); }
    bool ChooseFiles(QWidget*, const std::string& qtFilter, const std::string& startFolder,
                     std::vector<std::string>& files) override
    {
        lastFilter = qtFilter;
        lastFolder = startFolder;
        if (!confirm)
            return false;
        files = chosen;
        return true;
    }

    std::vector<std::string> errors;
    std::vector<std::string> chosen;
    bool confirm = true;
    std::string lastFilter;
    std::string lastFolder;
};

// A fresh program per test: settings back to their defaults, the prompt and
// dialogs answered by the test, the settings file in a temporary folder.
class FormTest : public ::testing::Test {
protected:
    FormTest()
    {
        ResetSettings();
        ResetBusyCursorState();
        SetPrompt(&prompt);
        SetCursorScreen(&cursor);
    }
    ~FormTest() override
    {
        form.reset();
        SetPrompt(nullptr);
        SetCursorScreen(nullptr);
        ResetSettings();
    }

    std::string Exe() const { return dir.File("norvane"); }
    std::string Ini() const { return dir.File("norvane.ini"); }

    // A settings file that keeps the splash wait short, plus the given lines.
    void WriteIni(std::string_view mainLines, std::string_view datLines = {})
    {
        std::string text = "[norvane]\r\nOpnWait=0\r\n" + std::string(mainLines);
        if (!datLines.empty())
            text += "[Dat]\r\n" + std::string(datLines);
        WriteFile(Ini(), text);
    }

    TForm1& Start(std::vector<std::string> arguments = {})
    {
        form = std::make_unique<TForm1>(std::move(arguments));
        form->SetExecutablePath(Exe());
        form->SetDialogs(&dialogs);
        form->show();
        return *form;
    }

    void Close()
    {
        form->close();
        form.reset();
    }

    template <typename T>
    T* Widget(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* Button(int n) const { return Widget<QPushButton>(("Button" + std::to_string(n)).c_str()); }
    QCheckBox* Box(int n) const { return Widget<QCheckBox>(("CheckBox" + std::to_string(n)).c_str()); }
    TStringGrid& Grid() const { return *form->Grid(); }
    TChkListBoxEx& Panel() const { return *form->KeyPanel(); }

    // Drops files on the window as the desktop would.
    void Drop(const std::vector<std::string>& paths)
    {
        QList<QUrl> urls;
        for (const auto& p : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
        QMimeData data;
        data.setUrls(urls);
        DropData(data);
    }

    // Enters with the data, then drops it, as a drag from the desktop does.
    void DropData(const QMimeData& data)
    {
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &drop);
    }

    // Three mails in one folder, dropped on the window.
    std::vector<std::string> DropThree(std::string_view mail)
    {
        std::vector<std::string> paths;
        for (const char* name : {"one.eml", "two.eml", "three.eml"}) {
            paths.push_back(dir.File(name));
            WriteFile(paths.back(), mail);
        }
        Drop(paths);
        return paths;
    }

    std::vector<std::string> Column(int col) const
    {
        std::vector<std::string> cells;
        for (int row = 1; row < Grid().RowCount(); ++row)
            cells.push_back(Grid().Cell(col, row));
        return cells;
    }

    std::vector<std::string> PanelItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < Panel().count(); ++i)
            items.push_back((Panel().Checked(i) ? "+" : "-") + Panel().item(i)->text().toStdString());
        return items;
    }

    int PanelIndex(const std::string& text) const
    {
        for (int i = 0; i < Panel().count(); ++i)
            if (Panel().item(i)->text().toStdString() == text)
                return i;
        return -1;
    }

    TempDir dir;
    RecordingPrompt prompt;
    RecordingDialogs dialogs;
    QtCursorScreen cursor;
    std::unique_ptr<TForm1> form;
};

using Cells = std::vector<std::string>;

}  // namespace norvane::test
