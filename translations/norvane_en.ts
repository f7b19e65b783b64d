<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja">
<context>
    <name>CoreMessage</name>
    <message>
        <source>ﾌｧｲﾙ %s は開けません</source>
        <translation>Cannot open file %s</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %s を作成できません</source>
        <translation>Cannot create file %s</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %s は通常のﾌｧｲﾙではありません</source>
        <translation>File %s is not a regular file</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %s は処理中に変更されました</source>
        <translation>File %s was changed while it was processed</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %s は他のﾌﾟﾛｸﾞﾗﾑが使用中です</source>
        <translation>File %s is in use by another program</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙが見つかりません</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙへのｱｸｾｽが拒否されました</source>
        <translation>Access to the file was denied</translation>
    </message>
    <message>
        <source>I/O ｴﾗｰ (%d)</source>
        <translation>I/O error (%d)</translation>
    </message>
    <message>
        <source>&apos;%s&apos; は整数ではありません</source>
        <translation>&apos;%s&apos; is not an integer</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %s は大きすぎるので読み込めません</source>
        <translation>File %s is too large to be read</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>？</source>
        <translation>?</translation>
    </message>
    <message>
        <source>！</source>
        <translation>!</translation>
    </message>
    <message>
        <source>ヴェスクしました！</source>
        <translation>Vesk done!</translation>
    </message>
    <message>
        <source>登録して宜しいですか</source>
        <translation>Register this key</translation>
    </message>
    <message>
        <source>削除して宜しいですか</source>
        <translation>Delete this key</translation>
    </message>
    <message>
        <source>確認しますか</source>
        <translation>Analyze the files now</translation>
    </message>
    <message>
        <source>既に、登録されています</source>
        <translation>Already registered</translation>
    </message>
    <message>
        <source>登録されていません</source>
        <translation>Not registered</translation>
    </message>
    <message>
        <source>初期化ﾌｧｲﾙが、有りません</source>
        <translation>There is no settings file</translation>
    </message>
    <message>
        <source>登録しました</source>
        <translation>Registered</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %s のﾊﾞｯｸｱｯﾌﾟがありません</source>
        <translation>File %s has no backup</translation>
    </message>
    <message>
        <source>ﾊﾞｯｸｱｯﾌﾟ %s は他のﾌｧｲﾙのものかもしれません</source>
        <translation>Backup %s may belong to another file</translation>
    </message>
    <message>
        <source>処理を中止しました</source>
        <translation>The run was cancelled</translation>
    </message>
</context>
<context>
    <name>FileGrid</name>
    <message>
        <source>対象フォルダー</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>FileName</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>MailHedarKey</source>
        <translation>Header key</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Mark</translation>
    </message>
</context>
<context>
    <name>FormCommands</name>
    <message>
        <source>署名・暗号メールは変更せずに残しました：</source>
        <translation>Signed or encrypted mail kept whole:</translation>
    </message>
    <message>
        <source>処理 %1 件：%2 → %3 バイト（変更なし %4 件、スキップ %5 件、保護 %6 件）</source>
        <translation>%1 files done: %2 -&gt; %3 bytes (%4 unchanged, %5 skipped, %6 protected)</translation>
    </message>
    <message>
        <source>、添付ファイル %1 個を保存</source>
        <translation>, %1 attachments saved</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %1 を</source>
        <translation>Restore file %1</translation>
    </message>
    <message>
        <source>ﾊﾞｯｸｱｯﾌﾟ %1（%2）から元に戻して宜しいですか？</source>
        <translation>from backup %1 (%2)?</translation>
    </message>
    <message>
        <source>中止しました：%1 件中 %2 件処理しました</source>
        <translation>Cancelled: %2 of %1 files were processed</translation>
    </message>
    <message>
        <source>ヴェスクしています</source>
        <translation>Vesk in progress</translation>
    </message>
    <message>
        <source>ヘッダーを調査しています</source>
        <translation>Analyzing the headers</translation>
    </message>
    <message>
        <source>プレビューを作成しています</source>
        <translation>Preparing the preview</translation>
    </message>
</context>
<context>
    <name>PreviewDialog</name>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>現在の設定で Vesk を実行すると、次のように変更されます（ファイルはまだ変更されていません）。</source>
        <translation>Vesk with the current settings would make these changes (the files are not changed yet).</translation>
    </message>
</context>
<context>
    <name>TAboutG3F</name>
    <message>
        <source>バージョン情報</source>
        <translation>About Norvane</translation>
    </message>
    <message>
        <source>  Norvane  </source>
        <translation>  Norvane  </translation>
    </message>
    <message>
        <source>2026/12/07  by Mori</source>
        <translation>2026/12/07  by Mori</translation>
    </message>
    <message>
        <source>ご要望、励ましはこのメールで</source>
        <translation>Requests and encouragement to this address</translation>
    </message>
    <message>
        <source>最新情報が登録されているホームページです</source>
        <translation>The home page with the latest news</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>説明ファイル表示</source>
        <translation>Show the description file</translation>
    </message>
</context>
<context>
    <name>TCustomChkListBox</name>
    <message>
        <source>ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています</source>
        <translation>List index out of bounds</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Norvane</source>
        <translation>Norvane</translation>
    </message>
    <message>
        <source>Vesk</source>
        <translation>Vesk</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>メールファイルを選択します（複数選択可能）
&#x3000;&#x3000;&#x3000;範囲選択： Shiftを押しながら
&#x3000;&#x3000;&#x3000;個別選択： Ctrlを押しながら</source>
        <translation>Picks mail files (several at once)
      a range: hold Shift
      one by one: hold Ctrl</translation>
    </message>
    <message>
        <source>選択メールファイルをヴェスクします</source>
        <translation>Vesks the selected mail files</translation>
    </message>
    <message>
        <source>Analyze</source>
        <translation>Analyze</translation>
    </message>
    <message>
        <source>選択メールファイルのヘッダーを調査します</source>
        <translation>Counts the header keys of the selected mail files</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>対象フォルダー</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>選択メールファイルとヘッダーキー調査結果を表示します！
  ※ マウス右ボタンでメニュー
&#x3000;&#x3000;&#x3000;削除 ： ﾌｧｲﾙ名を対象から外す
&#x3000;&#x3000;&#x3000;追加 ： ｷｰを削除対象に追加します</source>
        <translation>Shows the selected mail files and the header keys Analyze found!
  * Right mouse button: menu
      Remove : takes the file name off the list
      Add : adds the key to the keys to strip</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>BackUp</translation>
    </message>
    <message>
        <source>バックアップファイルを作成します</source>
        <translation>Keeps a backup copy of each file</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>ヒントを表示します</source>
        <translation>Shows hints</translation>
    </message>
    <message>
        <source>全文章</source>
        <translation>All text</translation>
    </message>
    <message>
        <source>複数のメールを一つのファイルにしている
場合全文章を対象とします！
※  Mail Header Key と同じ形式の文が
ある場合誤認識する場合が有りまので、
Key自動登録をOFFにした方が良いです。</source>
        <translation>Searches the whole text when one file
holds several mails!
*  Text shaped like a Mail Header Key
may be taken for one, so better turn
automatic key registration OFF.</translation>
    </message>
    <message>
        <source>自動登録</source>
        <translation>Auto-register</translation>
    </message>
    <message>
        <source>Mail Header Key を Vesk時に
未登録Key を自動登録します！</source>
        <translation>During Vesk, registers the Mail Header
Keys not registered yet!</translation>
    </message>
    <message>
        <source>添付ファイル削除</source>
        <translation>Remove attachments</translation>
    </message>
    <message>
        <source>添付ファイルの本文を削除します</source>
        <translation>Removes the bodies of attachments</translation>
    </message>
    <message>
        <source>添付ファイル跡削除</source>
        <translation>Remove traces</translation>
    </message>
    <message>
        <source>添付ファイルの跡も削除します</source>
        <translation>Also removes the part headers attachments leave</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>メールヘッダーキーを登録します</source>
        <translation>Registers the mail header key</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>メールヘッダーキーを削除します</source>
        <translation>Deletes the mail header key</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>バージョン情報を表示します</source>
        <translation>Shows the version information</translation>
    </message>
    <message>
        <source>登録用メールヘッダーキーを編集します</source>
        <translation>Type a mail header key to register</translation>
    </message>
    <message>
        <source>削除対象メールヘッダーキーを選択して下さい</source>
        <translation>Tick the mail header keys to strip</translation>
    </message>
    <message>
        <source>削除</source>
        <comment>takes a file off the list</comment>
        <translation>Remove</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <comment>shows what Vesk would change in the selected files</comment>
        <translation>Preview</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <comment>puts the file back from its newest backup</comment>
        <translation>Restore</translation>
    </message>
</context>
<context>
    <name>THintFilter</name>
    <message>
        <source>！</source>
        <comment>ends a one-line hint</comment>
        <translation>.</translation>
    </message>
</context>
<context>
    <name>TLabeLink</name>
    <message>
        <source>関連起動ﾌﾟﾛｸﾞﾗﾑが有りません！</source>
        <translation>No program is set up to open this!</translation>
    </message>
</context>
<context>
    <name>norvane::ExtraPage</name>
    <message>
        <source>署名・暗号メールを保護</source>
        <translation>Protect signed mail</translation>
    </message>
    <message>
        <source>署名・暗号化されたメールの中は改行コードのほか変更しません
添付ファイルも残します</source>
        <translation>Inside signed or encrypted mail nothing but line ends changes;
its attachments stay too</translation>
    </message>
    <message>
        <source>小文字のヘッダーキーも対象</source>
        <translation>Lower-case header keys</translation>
    </message>
    <message>
        <source>小文字で始まるヘッダー行 (x-ms-exchange-… など) も
ヘッダーブロックの中なら数えて削除します</source>
        <translation>Header lines starting in lower case (x-ms-exchange-… and so on)
are counted and stripped inside a header block</translation>
    </message>
    <message>
        <source>全メッセージのヘッダー</source>
        <translation>Every message's header</translation>
    </message>
    <message>
        <source>mbox ファイルの各メッセージのヘッダーを対象にし
本文は変更しません (「全文章」とは同時に選べません)</source>
        <translation>Strips the header of every message of an mbox file and leaves
the bodies alone (not together with &quot;All text&quot;)</translation>
    </message>
    <message>
        <source>改行コードを保持</source>
        <translation>Keep line ends</translation>
    </message>
    <message>
        <source>各行の改行コード (CR LF・LF・CR) をそのまま書きます
オフでは CR LF にします</source>
        <translation>Writes each line with the line end it had (CR LF, LF or CR);
off: CR LF</translation>
    </message>
    <message>
        <source>添付ファイルを保存</source>
        <translation>Save attachments</translation>
    </message>
    <message>
        <source>削除する添付ファイルを先にフォルダーへ保存します
(「添付ファイル削除」と一緒に使います)</source>
        <translation>Saves each attachment to be removed into a folder first
(together with &quot;Remove attachments&quot;)</translation>
    </message>
    <message>
        <source>削除の記録を残す</source>
        <translation>Leave a removal note</translation>
    </message>
    <message>
        <source>添付ファイル跡を残すとき、削除した添付ファイルのサイズと
SHA-256 (保存したなら保存先) を 1 行書き残します</source>
        <translation>With the traces kept, one line tells each removed attachment&apos;s size
and SHA-256 (and where it was saved)</translation>
    </message>
    <message>
        <source>各メールの隣のフォルダー</source>
        <translation>Folder beside each mail</translation>
    </message>
    <message>
        <source>保存先のフォルダー
空欄なら a.eml の添付ファイルは a.eml.attachments に保存します</source>
        <translation>Folder to save to
Empty: the attachments of a.eml go to a.eml.attachments</translation>
    </message>
    <message>
        <source>参照…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>保存先のフォルダーを選びます</source>
        <translation>Chooses the folder to save to</translation>
    </message>
</context>
<context>
    <name>norvane::PreviewDialog</name>
    <message>
        <source>  エラー: %1</source>
        <translation>  Error: %1</translation>
    </message>
    <message>
        <source>  ヘッダー行: %1   添付ファイル行: %2   バイト数: %3 → %4</source>
        <translation>  Header lines: %1   Attachment lines: %2   Bytes: %3 → %4</translation>
    </message>
    <message>
        <source>  変更なし</source>
        <translation>  No change</translation>
    </message>
    <message>
        <source>  署名・暗号メールの部分は変更しません</source>
        <translation>  Signed or encrypted parts stay as they are</translation>
    </message>
    <message>
        <source>  保存される添付ファイル: %1</source>
        <translation>  Attachment to be saved: %1</translation>
    </message>
    <message>
        <source>ヘッダー行の削除 (%1 行)</source>
        <translation>Header lines removed (%1 lines)</translation>
    </message>
    <message>
        <source>添付ファイルの削除 (%1 行, %2 バイト)</source>
        <translation>Attachment removed (%1 lines, %2 bytes)</translation>
    </message>
    <message>
        <source>charset 行の結合</source>
        <translation>Charset line joined</translation>
    </message>
    <message>
        <source>空行の削除 (%1 行)</source>
        <translation>Empty lines cut (%1 lines)</translation>
    </message>
    <message>
        <source>行の変更</source>
        <translation>Lines changed</translation>
    </message>
    <message>
        <source>  %1 行目: %2</source>
        <translation>  Line %1: %2</translation>
    </message>
    <message>
        <source>    … ほか %1 行</source>
        <translation>    … %1 more lines</translation>
    </message>
    <message>
        <source>  改行コードの変更: %1 行</source>
        <translation>  Line ends changed: %1 lines</translation>
    </message>
    <message>
        <source>  (エラーのため処理されません)</source>
        <translation>  (not reached after the error)</translation>
    </message>
    <message>
        <source>自動登録されるキー:</source>
        <translation>Keys auto-registration would add:</translation>
    </message>
</context>
<context>
    <name>norvane::ProgressDialog</name>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>処理中のファイルは変更せずに中止します</source>
        <translation>Stops at once; the file being worked stays as it was</translation>
    </message>
    <message>
        <source>%1 / %2 ファイル</source>
        <translation>%1 / %2 files</translation>
    </message>
    <message>
        <source>%1 / %2 MB</source>
        <translation>%1 / %2 MB</translation>
    </message>
    <message>
        <source>中止しています…</source>
        <translation>Cancelling…</translation>
    </message>
</context>
<context>
    <name>norvane::TForm1</name>
    <message>
        <source>Extra</source>
        <translation>Extra</translation>
    </message>
</context>
</TS>
