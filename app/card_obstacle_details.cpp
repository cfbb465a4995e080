#include "app/card_obstacle_details.h"

#include "app/localized_text.h"
#include "app/refusal_details.h"

namespace ZQ3 {
namespace {

std::string KindName(CardObstacle::Kind kind) {
    switch (kind) {
    case CardObstacle::Kind::Folder:
        return Localized("folder", "フォルダー");
    case CardObstacle::Kind::SymbolicLink:
        return Localized("symbolic link", "シンボリック・リンク");
    case CardObstacle::Kind::Fifo:
        return Localized("FIFO (named pipe)", "FIFO（名前付きパイプ）");
    case CardObstacle::Kind::Device:
        return Localized("device", "デバイス");
    case CardObstacle::Kind::Socket:
        return Localized("socket", "ソケット");
    case CardObstacle::Kind::None:
    case CardObstacle::Kind::Other:
    case CardObstacle::Kind::SystemError:
    case CardObstacle::Kind::ReadBackDiffers:
        break;
    }
    return Localized("special file", "特殊ファイル");
}

} // namespace

std::string CardObstacleDetail(const CardObstacle& obstacle) {
    if (!obstacle) {
        return {};
    }
    if (obstacle.kind == CardObstacle::Kind::SystemError) {
        return Localized(
            "{0}: the card's file could not be examined or changed (system error {1}).",
            "{0}: カードのファイルを確認又は変更できませんでした（システム・エラー {1}）。",
            {obstacle.path, std::to_string(obstacle.errorNumber)});
    }
    if (obstacle.kind == CardObstacle::Kind::ReadBackDiffers) {
        return Localized(
            "{0}: read back from the card, the file differs from what was written: the card or "
            "its reader corrupts data. Nothing was changed; try another reader or card.",
            "{0}: カードから読み返したファイルが書き込んだ内容と違います。カード又はカード・"
            "リーダーがデータを壊しています。何も変更していません。別のリーダー又はカードで"
            "試してください。",
            {obstacle.path});
    }
    return Localized(
        "A {0} is in the way at {1}: the converter keeps only its own regular files "
        "under this name. Move or remove it, then try again; nothing was changed.",
        "{1} に{0}があります。この名前にはコンバーター自身の通常のファイルしか置けません。"
        "移動又は削除してから、もう一度実行してください。何も変更していません。",
        {KindName(obstacle.kind), obstacle.path});
}

std::string CardFilesDetail(const std::vector<std::string>& paths, IFileSystem& fs) {
    for (const std::string& path : paths) {
        if (const CardObstacle obstacle = ExamineCardName(path, fs)) {
            return CardObstacleDetail(obstacle);
        }
    }
    return {};
}

std::string RecoveryObstacleDetail(const std::string& cardDirectory, const CardObstacle& obstacle) {
    if (obstacle.kind == CardObstacle::Kind::None ||
        obstacle.kind == CardObstacle::Kind::SystemError) {
        return RecoveryFailedDetail(obstacle ? obstacle.path : cardDirectory, obstacle.errorNumber);
    }
    return Localized(
        "{0}: a change to the card was interrupted and cannot be completed: a {1} is "
        "in the way at {2}. Move or remove it, then open the card again; the change "
        "is completed then. Nothing else was changed.",
        "{0}: カードへの変更が中断されており、完了できません。{2} に{1}があります。"
        "移動又は削除してから、もう一度カードを開いてください。そのときに変更が完了します。"
        "それ以外は何も変更していません。",
        {cardDirectory, KindName(obstacle.kind), obstacle.path});
}

std::string LinkedConverterFolderDetail(const std::string& root) {
    return Localized(
        "{0}: its KELDRA/ZQ314 folder is reached through a symbolic link; the converter "
        "works only on a card's own folder, never on the folder a link leads to.",
        "{0}: KELDRA/ZQ314 フォルダーがシンボリック・リンクを経由しています。コンバーターは"
        "カード自身のフォルダーだけを扱い、リンク先のフォルダーは扱いません。",
        {root});
}

} // namespace ZQ3
