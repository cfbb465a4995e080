#pragma once

#include "ul/state_bitmap.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>

namespace UL {

// What the program draws into: a painter on the view's off-screen picture.
class CDrawInfo : public ADrawInfo {
public:
    explicit CDrawInfo(QPainter& painter) : painter_(&painter) {}
    QPainter& painter() const { return *painter_; }

private:
    QPainter* painter_;
};

// A state bitmap read from a PNG file, and from its twice-as-dense companion ("name@2x.png")
// when there is one: a screen that shows two pixels or more for one gets the cells from that.
class CStateBitmap : public AStateBitmap {
public:
    static constexpr const char* FileExtension = ".png";
    static constexpr const char* DoubleDensitySuffix = "@2x";

    using AStateBitmap::AStateBitmap;

    bool load(const std::string& directory) override;
    void unload() override;
    CSize getSize() const override;
    void drawCell(ADrawInfo& drawInfo, int x, int y, int cellIndex) override;

    // The cell cellIndex as a picture of its own; a null image outside the strip.
    QImage cellImage(int cellIndex) const;
    bool hasDoubleDensity() const { return !doubleImage_.isNull(); }

private:
    // Where cell cellIndex lies in the picture.
    QRect cellRect(int cellIndex) const;

    QImage image_;
    // The same picture at twice the density; null when there is none.
    QImage doubleImage_;
};

// Makes the program's state bitmaps over one folder.
class CStateBitmapFactory : public IStateBitmapFactory {
public:
    explicit CStateBitmapFactory(std::string directory) : directory_(std::move(directory)) {}

    std::shared_ptr<AStateBitmap> create(const std::string& name, int cellCount, bool horizontal,
                                         bool masked) override;
    std::string getDirectory() const override { return directory_; }

    // The folder of the program's bitmaps: "Bitmap/" beside the program when it is there (the
    // build tree), else the installed data folder.
    static std::string ProgramBitmapDirectory();

private:
    std::string directory_;
};

} // namespace UL
