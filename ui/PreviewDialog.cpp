#include "ui/PreviewDialog.h"

#include "app/Job.h"
#include "app/PreviewReport.h"
#include "ui/QtBytes.h"

#include <QDialogButtonBox>
#include <QFontDatabase>

namespace norvane {

PreviewDialog::PreviewDialog(QWidget* parent) : QDialog(parent)
{
    ui_.setupUi(this);
    ui_.Changes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(ui_.Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui_.Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

void PreviewDialog::Append(const QString& text)
{
    ui_.Changes->appendPlainText(text);
}

void PreviewDialog::AddFile(const FileResult& file, const PreviewReport& report)
{
    Append(QStringLiteral("■ ") + FromBytes(file.path));
    if (file.outcome == FileOutcome::Error || file.outcome == FileOutcome::Refused) {
        Append(tr("  エラー: %1").arg(FromBytes(file.message)));
        Append(QString());
        return;
    }
    Append(tr("  ヘッダー行: %1   添付ファイル行: %2   バイト数: %3 → %4")
               .arg(file.headerLines)
               .arg(file.attachmentLines)
               .arg(QLocale().toString(static_cast<qulonglong>(file.bytesBefore)))
               .arg(QLocale().toString(static_cast<qulonglong>(file.bytesAfter))));
    if (file.outcome == FileOutcome::Unchanged)
        Append(tr("  変更なし"));
    if (file.protectedEntity)
        Append(tr("  署名・暗号メールの部分は変更しません"));
    for (const std::string& path : file.saved)
        Append(tr("  保存される添付ファイル: %1").arg(FromBytes(path)));
    for (const PreviewChange& change : report.changes) {
        QString caption;
        switch (change.kind) {
        case PreviewChangeKind::kHeaderLines:
            caption = tr("ヘッダー行の削除 (%1 行)").arg(change.removedLines);
            break;
        case PreviewChangeKind::kAttachment:
            caption = tr("添付ファイルの削除 (%1 行, %2 バイト)")
                          .arg(change.removedLines)
                          .arg(QLocale().toString(static_cast<qulonglong>(change.removedBytes)));
            break;
        case PreviewChangeKind::kJoined:
            caption = tr("charset 行の結合");
            break;
        case PreviewChangeKind::kBlankLines:
            caption = tr("空行の削除 (%1 行)").arg(change.removedLines);
            break;
        case PreviewChangeKind::kOther:
            caption = tr("行の変更");
            break;
        }
        Append(tr("  %1 行目: %2").arg(change.line).arg(caption));
        for (const std::string& line : change.removed)
            Append(QStringLiteral("    - ") + FromBytes(line));
        if (change.removedLines > change.removed.size())
            Append(tr("    … ほか %1 行").arg(change.removedLines - change.removed.size()));
        for (const std::string& line : change.added)
            Append(QStringLiteral("    + ") + FromBytes(line));
    }
    if (report.lineEndChanges > 0)
        Append(tr("  改行コードの変更: %1 行").arg(report.lineEndChanges));
    Append(QString());
}

void PreviewDialog::AddNotReached(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        Append(QStringLiteral("■ ") + FromBytes(path) + tr("  (エラーのため処理されません)"));
}

void PreviewDialog::AddRegisteredKeys(const std::vector<std::string>& keys)
{
    if (keys.empty())
        return;
    QString text = tr("自動登録されるキー:");
    for (const std::string& key : keys)
        text += QLatin1Char(' ') + FromBytes(key);
    Append(text);
}

}  // namespace norvane
