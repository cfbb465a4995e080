<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>WaveFileDialog</name>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>Windows RIFF Wave Files</source>
        <translation>Windows RIFF Wave ファイル</translation>
    </message>
    <message>
        <source>Apple AIFF Wave Files</source>
        <translation>Apple AIFF Wave ファイル</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>すべてのファイル</translation>
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
        <source>Stop</source>
        <translation>停止</translation>
    </message>
</context>
</TS>
