#pragma once

#include <memory>
#include <string>

namespace UL {

// What a draw call draws into; the display supplies the concrete kind.
class ADrawInfo {
public:
    virtual ~ADrawInfo() = default;
};

struct CSize {
    int width = 0;
    int height = 0;
};

// A picture file holding a strip of equally sized cells, one per look of something on screen.
// The cells lie side by side (horizontal) or stacked; a masked strip has a mask of the same size
// after its images, to the right of a stacked strip or below a horizontal one.
class AStateBitmap {
public:
    AStateBitmap(std::string bitmapName, int cells, bool cellsSideBySide, bool maskFollows)
        : name(std::move(bitmapName)), cellCount(cells), horizontal(cellsSideBySide),
          masked(maskFollows) {}
    virtual ~AStateBitmap() = default;

    // Loads directory + name + the file extension of the display; false when it cannot.
    virtual bool load(const std::string& directory) = 0;
    virtual void unload() = 0;
    // The size of the whole picture; 0 x 0 while nothing is loaded.
    virtual CSize getSize() const = 0;
    // Draws cell cellIndex with its top-left corner at (x, y); nothing for a cell outside the
    // strip.
    virtual void drawCell(ADrawInfo& drawInfo, int x, int y, int cellIndex) = 0;

    // The cell size of a picture of the given total size: divided by cellCount along the strip,
    // and by 2 across it when a mask follows the images. A strip without cells has empty cells.
    void computeCellSize(CSize total) {
        if (cellCount <= 0) {
            cellWidth = cellHeight = 0;
            return;
        }
        const int across = masked ? 2 : 1;
        cellWidth = horizontal ? total.width / cellCount : total.width / across;
        cellHeight = horizontal ? total.height / across : total.height / cellCount;
    }

    int cellWidth = 0;
    int cellHeight = 0;
    std::string name;
    int cellCount;
    bool horizontal;
    bool masked;
};

class IStateBitmapFactory {
public:
    virtual ~IStateBitmapFactory() = default;
    virtual std::shared_ptr<AStateBitmap> create(const std::string& name, int cellCount,
                                                 bool horizontal, bool masked) = 0;
    // The folder the bitmaps are loaded from, ending in "/".
    virtual std::string getDirectory() const = 0;
};

} // namespace UL
