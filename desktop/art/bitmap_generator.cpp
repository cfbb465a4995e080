// Draws the program's pictures: "Background" (the pad block's panel), "Pads64" (every pad in its
// four looks, stacked: look x 16 + pad) and the program's icon. The build runs it, so the
// pictures always match the layout the view expects. The panel and the pads are drawn a second
// time at twice the density ("@2x"), for screens that show two pixels for one.
//
// The looks differ in brightness and shape, never by hue alone: a dark pad is a dim flat key, a
// lit pad (it holds a sample) is bright, a selected pad wears a thick white frame with a black
// inner line and corner marks, in either brightness.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <string>

namespace {

constexpr int CellWidth = 64;
constexpr int CellHeight = 48;
constexpr int Pads = 16;
constexpr int Looks = 4;
constexpr int Rows = 4;
constexpr int Columns = 4;
constexpr int Margin = 5;
constexpr int Gap = 10;

// Segments a to g of a seven-segment digit, as bits 0 to 6.
constexpr unsigned char SegmentsOf[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                          0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// A digit drawn from straight bars, so that no font is needed and every machine draws the same.
void DrawDigit(QPainter& painter, int digit, QPointF at, double width, double height,
               double thickness, const QColor& colour) {
    const unsigned char segments = SegmentsOf[digit];
    const double half = height / 2.0;
    const QRectF bars[7] = {
        {at.x(), at.y(), width, thickness},                           // a top
        {at.x() + width - thickness, at.y(), thickness, half},        // b top right
        {at.x() + width - thickness, at.y() + half, thickness, half}, // c bottom right
        {at.x(), at.y() + height - thickness, width, thickness},      // d bottom
        {at.x(), at.y() + half, thickness, half},                     // e bottom left
        {at.x(), at.y(), thickness, half},                            // f top left
        {at.x(), at.y() + half - thickness / 2.0, width, thickness},  // g middle
    };
    for (int segment = 0; segment < 7; ++segment) {
        if (segments & (1u << segment)) {
            painter.fillRect(bars[segment], colour);
        }
    }
}

void DrawNumber(QPainter& painter, int number, const QRectF& cell, const QColor& colour) {
    const std::string text = std::to_string(number);
    constexpr double DigitWidth = 12;
    constexpr double DigitHeight = 22;
    constexpr double Spacing = 5;
    const double total = static_cast<double>(text.size()) * DigitWidth +
                         static_cast<double>(text.size() - 1) * Spacing;
    double x = cell.center().x() - total / 2.0;
    const double y = cell.center().y() - DigitHeight / 2.0;
    for (const char c : text) {
        DrawDigit(painter, c - '0', QPointF(x, y), DigitWidth, DigitHeight, 3, colour);
        x += DigitWidth + Spacing;
    }
}

void DrawPad(QPainter& painter, int pad, int look, const QRect& cell) {
    const bool lit = look == 1 || look == 3;
    const bool selected = look >= 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The cell's corners show the panel behind the pad.
    painter.fillRect(cell, QColor(0x24, 0x24, 0x28));
    const QRectF key = QRectF(cell).adjusted(3, 3, -3, -3);
    QLinearGradient face(key.topLeft(), key.bottomLeft());
    if (lit) {
        face.setColorAt(0, QColor(0xFF, 0xF0, 0xB0));
        face.setColorAt(1, QColor(0xF2, 0xB8, 0x30));
    } else {
        face.setColorAt(0, QColor(0x56, 0x56, 0x5C));
        face.setColorAt(1, QColor(0x3A, 0x3A, 0x40));
    }
    painter.setPen(QPen(lit ? QColor(0x80, 0x60, 0x10) : QColor(0x18, 0x18, 0x1C), 1));
    painter.setBrush(face);
    painter.drawRoundedRect(key, 5, 5);
    DrawNumber(painter, pad, key, lit ? QColor(0x20, 0x18, 0x08) : QColor(0xB0, 0xB0, 0xB8));
    if (selected) {
        // A frame that reads on a dark and on a bright key: white outside, black inside.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 3));
        painter.drawRoundedRect(QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.drawRoundedRect(QRectF(cell).adjusted(4, 4, -4, -4), 4, 4);
        // Corner marks: the selection also shows as a shape, not only as a line.
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        const double mark = 9;
        const QPointF corners[4] = {cell.topLeft(), QPointF(cell.right() + 1, cell.top()),
                                    QPointF(cell.left(), cell.bottom() + 1),
                                    QPointF(cell.right() + 1, cell.bottom() + 1)};
        for (int i = 0; i < 4; ++i) {
            const double dx = (i % 2 == 0) ? mark : -mark;
            const double dy = (i < 2) ? mark : -mark;
            QPainterPath triangle;
            triangle.moveTo(corners[i]);
            triangle.lineTo(corners[i] + QPointF(dx, 0));
            triangle.lineTo(corners[i] + QPointF(0, dy));
            triangle.closeSubpath();
            painter.drawPath(triangle);
        }
    }
    painter.restore();
}

QImage Background(int scale) {
    const int width = 2 * Margin + Columns * CellWidth + (Columns - 1) * Gap;
    const int height = 2 * Margin + Rows * CellHeight + (Rows - 1) * Gap;
    QImage image(width * scale, height * scale, QImage::Format_ARGB32);
    image.fill(QColor(0x24, 0x24, 0x28));
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x68), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 6, 6);
    return image;
}

QImage Pads64(int scale) {
    QImage image(CellWidth * scale, CellHeight * Pads * Looks * scale, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.scale(scale, scale);
    for (int look = 0; look < Looks; ++look) {
        for (int pad = 0; pad < Pads; ++pad) {
            DrawPad(painter, pad, look,
                    QRect(0, (look * Pads + pad) * CellHeight, CellWidth, CellHeight));
        }
    }
    return image;
}

// The icon: a small pad block with one lit and one selected pad.
QImage Icon() {
    constexpr int Size = 64;
    QImage image(Size, Size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x24, 0x24, 0x28));
    painter.drawRoundedRect(QRectF(0, 0, Size, Size), 10, 10);
    constexpr int Key = 11;
    constexpr int Step = 14;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const bool lit = (row + column) % 3 == 0;
            painter.setBrush(lit ? QColor(0xF2, 0xB8, 0x30) : QColor(0x56, 0x56, 0x5C));
            painter.drawRoundedRect(QRectF(5 + column * Step, 5 + row * Step, Key, Key), 2, 2);
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool saved = Background(1).save(folder + "/Background.png") &&
                       Background(2).save(folder + "/Background@2x.png") &&
                       Pads64(1).save(folder + "/Pads64.png") &&
                       Pads64(2).save(folder + "/Pads64@2x.png") &&
                       Icon().save(folder + "/Icon.png");
    if (!saved) {
        std::fprintf(stderr, "%s: cannot write the pictures to %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
