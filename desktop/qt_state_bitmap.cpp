#include "desktop/qt_state_bitmap.h"

#include "desktop/program_files.h"

#include <QFileInfo>

namespace UL {

bool CStateBitmap::load(const std::string& directory) {
    QImage loaded;
    if (!loaded.load(QString::fromStdString(directory + name + FileExtension))) {
        return false;
    }
    image_ = loaded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    computeCellSize(getSize());
    // Only a companion of exactly twice the size lines up with the cells.
    QImage denser;
    doubleImage_ = QImage();
    if (denser.load(
            QString::fromStdString(directory + name + DoubleDensitySuffix + FileExtension)) &&
        denser.size() == image_.size() * 2) {
        doubleImage_ = denser.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return true;
}

void CStateBitmap::unload() {
    image_ = QImage();
    doubleImage_ = QImage();
    cellWidth = cellHeight = 0;
}

CSize CStateBitmap::getSize() const {
    return {image_.width(), image_.height()};
}

QRect CStateBitmap::cellRect(int cellIndex) const {
    if (cellIndex < 0 || cellIndex >= cellCount || image_.isNull()) {
        return {};
    }
    return horizontal ? QRect(cellWidth * cellIndex, 0, cellWidth, cellHeight)
                      : QRect(0, cellHeight * cellIndex, cellWidth, cellHeight);
}

QImage CStateBitmap::cellImage(int cellIndex) const {
    const QRect cell = cellRect(cellIndex);
    return cell.isNull() ? QImage() : image_.copy(cell);
}

void CStateBitmap::drawCell(ADrawInfo& drawInfo, int x, int y, int cellIndex) {
    const QRect cell = cellRect(cellIndex);
    auto* info = dynamic_cast<CDrawInfo*>(&drawInfo);
    if (cell.isNull() || !info) {
        return;
    }
    QPainter& painter = info->painter();
    if (masked) {
        // The mask lies beside the images; its white keeps what is below and its black lets the
        // image through, as the picture's alpha does here.
        const QRect mask =
            horizontal ? cell.translated(0, cellHeight) : cell.translated(cellWidth, 0);
        QImage composed = image_.copy(cell);
        const QImage maskImage = image_.copy(mask);
        for (int row = 0; row < composed.height(); ++row) {
            for (int column = 0; column < composed.width(); ++column) {
                if (qGray(maskImage.pixel(column, row)) > 127) {
                    composed.setPixel(column, row, qRgba(0, 0, 0, 0));
                }
            }
        }
        painter.drawImage(QPoint(x, y), composed);
        return;
    }
    if (!doubleImage_.isNull() && painter.device() != nullptr &&
        painter.device()->devicePixelRatioF() > 1.0) {
        // At twice the density each pixel of the denser picture lands on one of the screen's;
        // at any other it is scaled smoothly, which still keeps more detail than the plain one.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform,
                              painter.device()->devicePixelRatioF() != 2.0);
        painter.drawImage(QRectF(x, y, cell.width(), cell.height()), doubleImage_,
                          QRectF(cell.x() * 2, cell.y() * 2, cell.width() * 2, cell.height() * 2));
        painter.restore();
        return;
    }
    painter.drawImage(QPoint(x, y), image_, cell);
}

std::shared_ptr<AStateBitmap> CStateBitmapFactory::create(const std::string& name, int cellCount,
                                                          bool horizontal, bool masked) {
    return std::make_shared<CStateBitmap>(name, cellCount, horizontal, masked);
}

std::string CStateBitmapFactory::ProgramBitmapDirectory() {
    return ZQ3::Desktop::ProgramDataDirectory("Bitmap").toStdString() + "/";
}

} // namespace UL
