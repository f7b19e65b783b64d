#pragma once

#include <QDialog>

#include <cstddef>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace norvane {

// How far a Vesk or Analyze run has come: files done of the files listed,
// and the bytes read of the file being worked when it is large; "中止"
// asks the run to stop.
class ProgressDialog : public QDialog {
    Q_OBJECT

public:
    explicit ProgressDialog(const QString& title, QWidget* parent = nullptr);

    void SetProgress(std::size_t filesDone, std::size_t filesTotal, std::uint64_t bytesDone,
                     std::uint64_t bytesTotal);
    bool CancelAsked() const { return cancelAsked_; }

signals:
    // Once, at the first "中止", Esc or closing of the dialog.
    void CancelRequested();

public slots:
    void reject() override;

private:
    QLabel* files_;
    QProgressBar* filesBar_;
    QLabel* bytes_;
    QProgressBar* bytesBar_;
    QPushButton* cancel_;
    bool cancelAsked_ = false;
};

}  // namespace norvane
