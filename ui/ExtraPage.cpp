#include "ui/ExtraPage.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace norvane {

namespace {

QString BoxName(std::string_view key)
{
    return QStringLiteral("CheckBox") + QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

ExtraPage::ExtraPage(QCheckBox& allText, QWidget* parent) : QWidget(parent), allText_(allText)
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
    };
    static_assert(std::size(texts) == 4);
    auto* layout = new QVBoxLayout(this);
    const auto switches = ExtraSwitches();
    for (std::size_t i = 0; i < switches.size() && i < std::size(texts); ++i) {
        auto* box = new QCheckBox(texts[i].caption, this);
        box->setObjectName(BoxName(switches[i].key));
        box->setToolTip(texts[i].hint);
        layout->addWidget(box);
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
}

QCheckBox& ExtraPage::Box(std::string_view key) const
{
    auto* box = findChild<QCheckBox*>(BoxName(key));
    Q_ASSERT(box);
    return *box;
}

void ExtraPage::Apply(const ExtraOptions& extra)
{
    allText_.setChecked(extra.scope == Scope::All);
    for (const auto& option : ExtraSwitches())
        Box(option.key).setChecked(option.get(extra));
}

ExtraOptions ExtraPage::Collect() const
{
    ExtraOptions extra;
    extra.scope = allText_.isChecked() ? Scope::All : Scope::First;
    for (const auto& option : ExtraSwitches())
        option.set(extra, Box(option.key).isChecked());
    return extra;
}

}  // namespace norvane
