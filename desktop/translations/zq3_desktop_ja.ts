<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>CApplication</name>
    <message>
        <source>The program&apos;s pictures are missing from %1.</source>
        <translation>プログラムの画像が %1 にありません。</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>ZQ-314 Wave Converter &amp;Manual</source>
        <translation>ZQ-314 ウェーブコンバーター 取扱説明書(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;About ZQ-314 Wave Converter...</source>
        <translation>ZQ-314 ウェーブコンバーターについて(&amp;A)...</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>バージョン %1</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>%1 について</translation>
    </message>
    <message>
        <source>Check and &amp;Repair Card...</source>
        <translation>カードの検査と修復(&amp;R)...</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>オプション(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Verify What Is Written to the Card</source>
        <translation>カードに書いた内容を読み返して確かめる(&amp;V)</translation>
    </message>
    <message>
        <source>Reads every written file back from the card before a change is kept, so that a card that stores wrong bytes is caught.</source>
        <translation>変更を確定する前に、書き込んだファイルをすべてカードから読み返します。正しく保存できないカードもこれで見つかります。</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Cu&amp;t Pad</source>
        <translation>パッドを切り取り(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Copy Pad</source>
        <translation>パッドをコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste onto Selected Pad</source>
        <translation>選択したパッドに貼り付け(&amp;P)</translation>
    </message>
    <message>
        <source>The manual is missing.</source>
        <translation>マニュアルが見つかりません。</translation>
    </message>
    <message>
        <source>The manual could not be opened: no program to show PDF files was found.</source>
        <translation>マニュアルを開けませんでした。PDF ファイルを表示するプログラムが見つかりません。</translation>
    </message>
    <message>
        <source>The manual is the file %1. Open it with any PDF viewer.</source>
        <translation>マニュアルはファイル %1 です。お使いの PDF ビューアーで開いてください。</translation>
    </message>
    <message>
        <source>&amp;Eject Card</source>
        <translation>カードの取り出し(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Back Up Card...</source>
        <translation>カードのバックアップ(&amp;B)...</translation>
    </message>
    <message>
        <source>Res&amp;tore Card...</source>
        <translation>カードの復元(&amp;T)...</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>やり直し(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Undo “%1”</source>
        <translation>「%1」を元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo “%1”</source>
        <translation>「%1」をやり直し(&amp;R)</translation>
    </message>
</context>
<context>
    <name>CMainView</name>
    <message>
        <source>Card backups (*.tar)</source>
        <translation>カードのバックアップ (*.tar)</translation>
    </message>
    <message>
        <source>Back Up Card</source>
        <translation>カードのバックアップ</translation>
    </message>
    <message>
        <source>Restore Card</source>
        <translation>カードの復元</translation>
    </message>
    <message>
        <source>ZQ-314 Card &amp;Drive:</source>
        <translation>ZQ-314 カードドライブ(&amp;D):</translation>
    </message>
    <message>
        <source>ZQ-314 &amp;Bank Select:</source>
        <translation>ZQ-314 バンク選択(&amp;B):</translation>
    </message>
    <message>
        <source>&amp;Import</source>
        <translation>インポート(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>エクスポート(&amp;E)</translation>
    </message>
    <message>
        <source>De&amp;lete</source>
        <translation>削除(&amp;L)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Choose the card&apos;s folder</source>
        <translation>カードのフォルダーを選択</translation>
    </message>
    <message>
        <source>Pad %1: empty</source>
        <translation>パッド %1: 空</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>Pad %1: %2 s, %3</source>
        <translation>パッド %1: %2 秒、%3</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>ステレオ</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>モノラル</translation>
    </message>
    <message>
        <source>, lo-fi</source>
        <translation>、ローファイ</translation>
    </message>
    <message>
        <source>, not lo-fi</source>
        <translation>、ローファイなし</translation>
    </message>
    <message>
        <source>, tempo %1 BPM</source>
        <translation>、テンポ %1 BPM</translation>
    </message>
    <message>
        <source>The card at %1 was removed.</source>
        <translation>%1 のカードが取り外されました。</translation>
    </message>
    <message>
        <source>Check and Repair Card... can rescue the pads whose files are whole. Check and repair this card now?</source>
        <translation>「カードの検査と修復...」で、ファイルが壊れていないパッドを救えます。このカードを今すぐ検査して修復しますか?</translation>
    </message>
    <message>
        <source>Eject the card, so that it can be taken out safely</source>
        <translation>カードを安全に抜けるように取り出します</translation>
    </message>
    <message>
        <source>Eject Card</source>
        <translation>カードの取り出し</translation>
    </message>
    <message>
        <source>The card was not ejected: another program is changing it.</source>
        <translation>カードを取り出せませんでした。別のプログラムがカードを変更しています。</translation>
    </message>
    <message>
        <source>Wait until it has finished, then eject the card again.</source>
        <translation>変更が終わるまで待ってから、もう一度カードを取り出してください。</translation>
    </message>
    <message>
        <source>The card was not ejected: what was written to it could not be written out.</source>
        <translation>カードを取り出せませんでした。カードへの書き込みを完了できませんでした。</translation>
    </message>
    <message>
        <source>Waveform of the selected pad</source>
        <translation>選択したパッドの波形</translation>
    </message>
    <message>
        <source>%1, no card</source>
        <translation>%1、カードなし</translation>
    </message>
    <message>
        <source>%1, empty</source>
        <translation>%1、空</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1、%2</translation>
    </message>
</context>
<context>
    <name>CUDisks2Client</name>
    <message>
        <source>The card can be taken out safely now.</source>
        <translation>カードを安全に抜けるようになりました。</translation>
    </message>
    <message>
        <source>The card was not ejected: it is in use.</source>
        <translation>カードを取り出せませんでした。カードは使用中です。</translation>
    </message>
    <message>
        <source>The card was not ejected: it is not on a removable drive.</source>
        <translation>カードを取り出せませんでした。取り外しできるドライブにありません。</translation>
    </message>
    <message>
        <source>The card was not ejected: the system&apos;s disk service does not manage it.</source>
        <translation>カードを取り出せませんでした。システムのディスクサービスがこのカードを管理していません。</translation>
    </message>
    <message>
        <source>The card was not ejected: the system&apos;s disk service (UDisks2) is not running.</source>
        <translation>カードを取り出せませんでした。システムのディスクサービス (UDisks2) が動いていません。</translation>
    </message>
    <message>
        <source>The card was not ejected.</source>
        <translation>カードを取り出せませんでした。</translation>
    </message>
    <message>
        <source>The disk service said: %1</source>
        <translation>ディスクサービスからの応答: %1</translation>
    </message>
    <message>
        <source>To eject it by hand, run &quot;udisksctl unmount -b %1&quot; and then &quot;udisksctl power-off -b %1&quot; (or &quot;umount %2&quot; as root), and take the card out once they have finished.</source>
        <translation>手動で取り出すには、「udisksctl unmount -b %1」に続けて「udisksctl power-off -b %1」を実行し (または root で「umount %2」を実行し)、終わってからカードを抜いてください。</translation>
    </message>
    <message>
        <source>To eject it by hand, run &quot;umount %1&quot; as root, and take the card out once it has finished.</source>
        <translation>手動で取り出すには、root で「umount %1」を実行し、終わってからカードを抜いてください。</translation>
    </message>
    <message>
        <source>%1 (%2) was unmounted and its drive switched off.</source>
        <translation>%1 (%2) をアンマウントし、ドライブの電源を切りました。</translation>
    </message>
    <message>
        <source>%1 (%2) was unmounted; its drive stays switched on.</source>
        <translation>%1 (%2) をアンマウントしました。ドライブの電源は入ったままです。</translation>
    </message>
    <message>
        <source>A program still has files or folders on %1 open. Close them (a terminal in one of its folders counts) and eject the card again.</source>
        <translation>%1 上のファイルやフォルダーを開いたままのプログラムがあります。それらを閉じて (そのフォルダーにいる端末も含みます)、もう一度カードを取り出してください。</translation>
    </message>
    <message>
        <source>%1 lies on %2, a drive that stays in the computer: there is nothing to take out.</source>
        <translation>%1 はコンピューターに固定されたドライブ %2 上にあります。取り出すものはありません。</translation>
    </message>
</context>
<context>
    <name>CWaveFileDialog</name>
    <message>
        <source>Windows RIFF Wave Files</source>
        <translation>Windows RIFF Wave ファイル</translation>
    </message>
    <message>
        <source>Apple AIFF Wave Files</source>
        <translation>Apple AIFF Wave ファイル</translation>
    </message>
    <message>
        <source>Windows RIFF Wave</source>
        <translation>Windows RIFF Wave</translation>
    </message>
    <message>
        <source>Apple AIFF Wave</source>
        <translation>Apple AIFF Wave</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>すべてのファイル</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>フォーマット:</translation>
    </message>
    <message>
        <source>Bits Per Sample:</source>
        <translation>量子化ビット数:</translation>
    </message>
    <message>
        <source>Sampling Frequency (Hz):</source>
        <translation>サンプリング周波数 (Hz):</translation>
    </message>
    <message>
        <source>Channel Count:</source>
        <translation>チャンネル数:</translation>
    </message>
    <message>
        <source>Convert Size (Bytes):</source>
        <translation>変換後のサイズ (バイト):</translation>
    </message>
    <message>
        <source>Drive Free Space (Bytes):</source>
        <translation>ドライブの空き容量 (バイト):</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Convert to the card&apos;s format</source>
        <translation>カードの形式に変換する</translation>
    </message>
    <message>
        <source>%1: will be converted to 16-bit 44.1 kHz</source>
        <translation>%1: 16 ビット 44.1 kHz に変換されます</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>%1 To import it and play it, tick Convert to the card&apos;s format.</source>
        <translation>%1インポートして再生するには、「カードの形式に変換する」にチェックを入れてください。</translation>
    </message>
    <message>
        <source>Trim Silence</source>
        <translation>無音をトリム</translation>
    </message>
    <message>
        <source> dBFS</source>
        <translation> dBFS</translation>
    </message>
    <message>
        <source>Trim Silence cuts what stays below this level at the start and the end.</source>
        <translation>「無音をトリム」は、最初と最後のこのレベルより小さい部分を切り取ります。</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> ミリ秒</translation>
    </message>
    <message>
        <source>Linear</source>
        <translation>直線</translation>
    </message>
    <message>
        <source>Equal Power</source>
        <translation>等パワー</translation>
    </message>
    <message>
        <source>Fade In:</source>
        <translation>フェードイン:</translation>
    </message>
    <message>
        <source>Fade Out:</source>
        <translation>フェードアウト:</translation>
    </message>
    <message>
        <source>Slice to Play:</source>
        <translation>再生するスライス:</translation>
    </message>
    <message>
        <source>Do Not Chop</source>
        <translation>分割しない</translation>
    </message>
    <message>
        <source>Equal Parts</source>
        <translation>等分</translation>
    </message>
    <message>
        <source>At Onsets</source>
        <translation>アタックごと</translation>
    </message>
    <message>
        <source>The number of equal parts, or the most onsets kept.</source>
        <translation>等分する数、またはアタックで分けるときの最大スライス数です。</translation>
    </message>
    <message>
        <source>Higher finds softer onsets too; for onsets only.</source>
        <translation>大きいほど弱いアタックも見つけます（アタックごとに分けるときのみ）。</translation>
    </message>
    <message>
        <source>Chop:</source>
        <translation>分割:</translation>
    </message>
    <message>
        <source>Slices (Most Slices at Onsets):</source>
        <translation>スライス数（アタックごとは最大数）:</translation>
    </message>
    <message>
        <source>Sensitivity:</source>
        <translation>感度:</translation>
    </message>
    <message>
        <source>%1: %2 to %3 s</source>
        <translation>%1: %2～%3 秒</translation>
    </message>
    <message>
        <source>%1 slices: more than the %2 pads from %3 to the card&apos;s last pad.</source>
        <translation>%1 個のスライスは、%3 からカードの最後のパッドまでの %2 個のパッドに収まりません。</translation>
    </message>
    <message>
        <source>1 slice, onto pad %1.</source>
        <translation>1 個のスライスをパッド %1 に入れます。</translation>
    </message>
    <message>
        <source>%1 slices, onto pads %2 to %3.</source>
        <translation>%1 個のスライスをパッド %2～%3 に入れます。</translation>
    </message>
    <message>
        <source>Chop onto pads…</source>
        <translation>パッドに分割…</translation>
    </message>
    <message>
        <source>Chop onto pads</source>
        <translation>パッドに分割</translation>
    </message>
</context>
<context>
    <name>ZQ3::Desktop::CDriveComboBox</name>
    <message>
        <source>  (ZQ-314 card)</source>
        <translation>  (ZQ-314 カード)</translation>
    </message>
    <message>
        <source>Other Folder...</source>
        <translation>その他のフォルダー...</translation>
    </message>
</context>
<context>
    <name>ZQ3::Desktop::CPadGrid</name>
    <message>
        <source>Pads</source>
        <translation>パッド</translation>
    </message>
</context>
<context>
    <name>ZQ3::Desktop::CProgressWindow</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>ZQ3::Desktop::CStatusPanel</name>
    <message>
        <source>No card</source>
        <translation>カードがありません</translation>
    </message>
    <message>
        <source>Free: %1
Mono: %2 left
Stereo: %3 left</source>
        <translation>空き容量: %1
モノラル: あと %2
ステレオ: あと %3</translation>
    </message>
</context>
</TS>
