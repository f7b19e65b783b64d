#pragma once

#include "ui_PreviewDialog.h"

#include <QDialog>

#include <string>
#include <vector>

namespace norvane {

struct FileResult;
struct PreviewReport;

// Lists, file by file, what Vesk with the current options would do: the
// lines it would remove, join and cut, and the counts. Shows; writes nothing.
class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreviewDialog(QWidget* parent = nullptr);

    // Appends a file's section: its counts and changes, or the error that
    // would stop the run there.
    void AddFile(const FileResult& file, const PreviewReport& report);
    // Appends the files the run would not reach after an error.
    void AddNotReached(const std::vector<std::string>& paths);
    // Appends the keys auto-registration would add.
    void AddRegisteredKeys(const std::vector<std::string>& keys);

private:
    void Append(const QString& text);

    Ui::PreviewDialog ui_;
};

}  // namespace norvane
