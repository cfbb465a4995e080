#pragma once

// Lays out a manual kept as HTML on A4 pages and writes it as a PDF file, with Qt's own text
// layout and PDF writer. A heading never ends a page, and a picture never ends a page away from
// the text after it (its caption): either moves to the next page instead.

#include <QString>

#include <vector>

namespace ZQ3::Manual {

// Where one block of the manual (a heading, a paragraph, a list item, a picture) landed.
struct PlacedBlock {
    QString text;
    // 1 to 6 for a heading, 0 for anything else.
    int headingLevel = 0;
    // The block holds a picture and nothing else.
    bool picture = false;
    // The pages of its first and its last line, counted from 0.
    int firstPage = 0;
    int lastPage = 0;
    // The page its paragraph begins on, with the space above it: a page before firstPage when
    // only that space fits at the foot of the page before.
    int paragraphPage = 0;
};

struct LaidOutManual {
    // Why no manual was written; empty when it was.
    QString problem;
    // Every block with text or a picture, in reading order.
    std::vector<PlacedBlock> blocks;
    int pageCount = 0;
};

// Writes the manual html as the PDF file outputPath; its pictures are looked up in
// pictureFolder. A picture that cannot be read, like a missing font, writes no manual at all:
// better none than one with holes. Written under another name first, so that a run that fails
// half-way leaves nothing that looks finished.
LaidOutManual WriteManualPdf(const QString& html, const QString& pictureFolder,
                             const QString& outputPath);

} // namespace ZQ3::Manual
