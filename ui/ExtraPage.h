#pragma once

#include "app/ExtraOptions.h"

#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace norvane {

// The tab page "Extra": one check box per extra option, named "CheckBox"
// and its settings key ("CheckBoxAnyCase"), in a column; under
// "添付ファイルを保存" its folder field "EditAttachmentFolder" and the button
// "ButtonAttachmentFolder" that picks the folder. Its "全メッセージの
// ヘッダー" and the Option page's "全文章" exclude each other: ticking one
// unticks the other. Saving (box, field and button) is enabled only while
// the Option page's "添付ファイル削除" is ticked, the field and button only
// while saving is ticked too; "削除の記録を残す" only while attachments are
// removed and their traces kept, as the note is written among the part
// headers that stay. Disabled boxes keep their ticks.
class ExtraPage : public QWidget {
    Q_OBJECT

public:
    // The Option page's "全文章", "添付ファイル削除" and "添付ファイル跡削除" boxes.
    ExtraPage(QCheckBox& allText, QCheckBox& removeAttachments, QCheckBox& removeTraces,
              QWidget* parent = nullptr);

    // The box of the switch stored under key.
    QCheckBox& Box(std::string_view key) const;

    // Ticks the boxes, "全文章" included, and fills the folder field from the
    // options.
    void Apply(const ExtraOptions& extra);
    // The options of the ticks, the scope from both pages. The folder is the
    // one applied or chosen byte for byte, or the field's text once edited.
    ExtraOptions Collect() const;

private:
    void FollowAttachmentBoxes();
    void SetFolder(std::string folder);
    void ChooseFolder();

    QCheckBox& allText_;
    QCheckBox& removeAttachments_;
    QCheckBox& removeTraces_;
    QLineEdit* folder_ = nullptr;
    QPushButton* browse_ = nullptr;
    // A path need not be valid text: the field shows it as best it can, and
    // its bytes are kept for as long as the field shows it unedited.
    std::string folderBytes_;
    QString folderShown_;
};

}  // namespace norvane
