#include "ui/ProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace norvane {

namespace {

// The bars count in KiB, so that a file of many GiB stays within an int.
int KiB(std::uint64_t bytes)
{
    return static_cast<int>(bytes >> 10);
}

QString MiB(std::uint64_t bytes)
{
    return QString::number(static_cast<double>(bytes) / (1 << 20), 'f', 1);
}

}  // namespace

ProgressDialog::ProgressDialog(const QString& title, QWidget* parent)
    : QDialog(parent),
      files_(new QLabel(this)),
      filesBar_(new QProgressBar(this)),
      bytes_(new QLabel(this)),
      bytesBar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("中止"), this))
{
    setObjectName(QStringLiteral("ProgressDialog"));
    setWindowTitle(title);
    setModal(true);
    files_->setObjectName(QStringLiteral("ProgressFiles"));
    filesBar_->setObjectName(QStringLiteral("ProgressFilesBar"));
    bytes_->setObjectName(QStringLiteral("ProgressBytes"));
    bytesBar_->setObjectName(QStringLiteral("ProgressBytesBar"));
    cancel_->setObjectName(QStringLiteral("ProgressCancel"));
    cancel_->setToolTip(tr("処理中のファイルは変更せずに中止します"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(files_);
    layout->addWidget(filesBar_);
    layout->addWidget(bytes_);
    layout->addWidget(bytesBar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    setMinimumWidth(360);
    SetProgress(0, 0, 0, 0);
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);
}

void ProgressDialog::SetProgress(std::size_t filesDone, std::size_t filesTotal, std::uint64_t bytesDone,
                                 std::uint64_t bytesTotal)
{
    if (cancelAsked_)
        return;
    files_->setText(tr("%1 / %2 ファイル").arg(filesDone).arg(filesTotal));
    filesBar_->setRange(0, static_cast<int>(std::min<std::size_t>(filesTotal, 0x7fffffff)));
    filesBar_->setValue(static_cast<int>(std::min<std::size_t>(filesDone, 0x7fffffff)));
    // Only a file that takes a while to read gets its own bar.
    const bool large = bytesTotal >= (std::uint64_t{1} << 20);
    bytes_->setText(large ? tr("%1 / %2 MB").arg(MiB(bytesDone), MiB(bytesTotal)) : QString());
    bytesBar_->setRange(0, large ? KiB(bytesTotal) : 1);
    bytesBar_->setValue(large ? KiB(bytesDone) : 0);
}

void ProgressDialog::reject()
{
    // The dialog stays until the run has stopped; the run closes it.
    if (cancelAsked_)
        return;
    cancelAsked_ = true;
    cancel_->setEnabled(false);
    files_->setText(tr("中止しています…"));
    emit CancelRequested();
}

}  // namespace norvane
