#include "ui/ExtraPage.h"

#include "settings/Settings.h"
#include "ui/FolderChooser.h"
#include "ui/QtBytes.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace norvane {

namespace {

QString BoxName(std::string_view key)
{
    return QStringLiteral("CheckBox") + QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

ExtraPage::ExtraPage(QCheckBox& allText, QCheckBox& removeAttachments, QCheckBox& removeTraces, QWidget* parent)
    : QWidget(parent), allText_(allText), removeAttachments_(removeAttachments), removeTraces_(removeTraces)
{
    setObjectName(QStringLiteral("TabSheet3"));
    struct Texts {
        QString caption;
        QString hint;
    };
    // In the order of ExtraSwitches().
    const Texts texts[] = {
        {tr("署名・暗号メールを保護"),
         tr("署名・暗号化されたメールの中は改行コードのほか変更しません\n添付ファイルも残します")},
        {tr("小文字のヘッダーキーも対象"),
         tr("小文字で始まるヘッダー行 (x-ms-exchange-… など) も\nヘッダーブロックの中なら数えて削除します")},
        {tr("全メッセージのヘッダー"),
         tr("mbox ファイルの各メッセージのヘッダーを対象にし\n本文は変更しません (「全文章」とは同時に選べません)")},
        {tr("改行コードを保持"), tr("各行の改行コード (CR LF・LF・CR) をそのまま書きます\nオフでは CR LF にします")},
        {tr("添付ファイルを保存"),
         tr("削除する添付ファイルを先にフォルダーへ保存します\n(「添付ファイル削除」と一緒に使います)")},
        {tr("削除の記録を残す"),
         tr("添付ファイル跡を残すとき、削除した添付ファイルのサイズと\nSHA-256 (保存したなら保存先) を 1 行書き残します")},
    };
    static_assert(std::size(texts) == 6);
    auto* layout = new QVBoxLayout(this);
    const auto switches = ExtraSwitches();
    for (std::size_t i = 0; i < switches.size() && i < std::size(texts); ++i) {
        auto* box = new QCheckBox(texts[i].caption, this);
        box->setObjectName(BoxName(switches[i].key));
        box->setToolTip(texts[i].hint);
        layout->addWidget(box);
        if (switches[i].key != "SaveAttachments")
            continue;
        // The folder row stands under its box, indented like the box's text.
        auto* row = new QHBoxLayout;
        row->setContentsMargins(style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                    style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing),
                                0, 0, 0);
        folder_ = new QLineEdit(this);
        folder_->setObjectName(QStringLiteral("EditAttachmentFolder"));
        folder_->setPlaceholderText(tr("各メールの隣のフォルダー"));
        folder_->setToolTip(tr("保存先のフォルダー\n空欄なら a.eml の添付ファイルは a.eml.attachments に保存します"));
        browse_ = new QPushButton(tr("参照…"), this);
        browse_->setObjectName(QStringLiteral("ButtonAttachmentFolder"));
        browse_->setToolTip(tr("保存先のフォルダーを選びます"));
        row->addWidget(folder_, 1);
        row->addWidget(browse_);
        layout->addLayout(row);
    }
    layout->addStretch(1);

    QCheckBox& everyMessage = Box("EveryMessage");
    connect(&everyMessage, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            allText_.setChecked(false);
    });
    connect(&allText_, &QCheckBox::toggled, this, [&everyMessage](bool on) {
        if (on)
            everyMessage.setChecked(false);
    });
    for (QCheckBox* box : {&removeAttachments_, &removeTraces_, &Box("SaveAttachments")})
        connect(box, &QCheckBox::toggled, this, &ExtraPage::FollowAttachmentBoxes);
    connect(browse_, &QPushButton::clicked, this, &ExtraPage::ChooseFolder);
    FollowAttachmentBoxes();
}

QCheckBox& ExtraPage::Box(std::string_view key) const
{
    auto* box = findChild<QCheckBox*>(BoxName(key));
    Q_ASSERT(box);
    return *box;
}

void ExtraPage::Apply(const ExtraOptions& extra)
{
    allText_.setChecked(extra.scope == HeaderScope::kAll);
    for (const auto& option : ExtraSwitches())
        Box(option.key).setChecked(option.get(extra));
    SetFolder(extra.attachmentFolder);
    FollowAttachmentBoxes();
}

ExtraOptions ExtraPage::Collect() const
{
    ExtraOptions extra;
    extra.scope = allText_.isChecked() ? HeaderScope::kAll : HeaderScope::kFirst;
    for (const auto& option : ExtraSwitches())
        option.set(extra, Box(option.key).isChecked());
    extra.attachmentFolder = folder_->text() == folderShown_ ? folderBytes_ : LocalPath(folder_->text());
    return extra;
}

void ExtraPage::FollowAttachmentBoxes()
{
    const bool removal = removeAttachments_.isChecked();
    QCheckBox& save = Box("SaveAttachments");
    save.setEnabled(removal);
    folder_->setEnabled(removal && save.isChecked());
    browse_->setEnabled(removal && save.isChecked());
    Box("RemovalNote").setEnabled(removal && !removeTraces_.isChecked());
}

void ExtraPage::SetFolder(std::string folder)
{
    folderBytes_ = std::move(folder);
    folderShown_ = FromLocalPath(folderBytes_);
    folder_->setText(folderShown_);
}

void ExtraPage::ChooseFolder()
{
    const std::string current = Collect().attachmentFolder;
    std::string chosen;
    if (CurrentFolderChooser().ChooseFolder(window(), current.empty() ? TextSettings().Path : current, chosen))
        SetFolder(std::move(chosen));
}

}  // namespace norvane
