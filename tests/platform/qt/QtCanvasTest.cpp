// The canvas over QPainter: the font mapping, the character grid, code-page characters cut
// by piece edges drawn whole, four-byte and invalid characters, and pixel moves.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPalette>

#include <string>

#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtFonts.h"

using namespace platform;
using namespace platform::qt;

namespace {

constexpr int kRowHeight = 20;

TFontData EditorFont() {
    TFontData font;
    font.Name = "宋体";
    font.Height = 12;
    font.Color = clBlack;
    return font;
}

// Pixels of rect that are not background.
int InkIn(const QImage& image, const QRect& rect, QRgb background) {
    int ink = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) != background) ++ink;
    return ink;
}

QImage BlankRow(int cells) {
    QImage image(cells * 6, kRowHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Draws row cut at the given byte offsets into pieces, each a piece of its own.
QImage DrawInPieces(const std::string& row, const std::vector<size_t>& cuts) {
    QImage image = BlankRow(static_cast<int>(row.size()));
    QtCanvas canvas(&image, QPalette());
    canvas.SetFont(EditorFont());
    canvas.SetBrushColor(clWhite);
    size_t start = 0;
    std::vector<size_t> ends = cuts;
    ends.push_back(row.size());
    for (size_t end : ends) {
        std::string_view all = row;
        int left = static_cast<int>(start) * 6;
        canvas.TextRect({left, 0, static_cast<int>(end) * 6, kRowHeight}, left, 0,
                        TTextPiece(all.substr(0, start), all.substr(start, end - start), all.substr(end)));
        start = end;
    }
    canvas.Flush();
    return image;
}

} // namespace

TEST(QtCanvas, EditorFontKeepsChineseAtTwoCells) {
    QImage image = BlankRow(4);
    QtCanvas canvas(&image, QPalette());
    canvas.SetFont(EditorFont());
    EXPECT_EQ(QFontInfo(QtFontFor(EditorFont())).family(), QString(kEditorFace));
    EXPECT_EQ(canvas.CellWidth(), 6);
    EXPECT_EQ(canvas.TextWidth("M"), 6);
    EXPECT_EQ(canvas.TextWidth("\xD6\xD0\xCE\xC4"), 24); // 中文
    EXPECT_GE(canvas.TextHeight("Q"), 12);
    TFontData bold = EditorFont();
    bold.Style = {TFontStyle::fsBold};
    canvas.SetFont(bold);
    EXPECT_EQ(canvas.TextWidth("M"), 6);
    // Other names keep their own face first.
    TFontData other = EditorFont();
    other.Name = "DejaVu Sans";
    EXPECT_EQ(QtFontFor(other).families().front(), QString("DejaVu Sans"));
    EXPECT_EQ(ColorFromQt(QtColorFor(clHighlight, QPalette())),
              ColorFromQt(QPalette().color(QPalette::Highlight)));
}

TEST(QtCanvas, CharactersCutByAnyPieceEdgeLookWhole) {
    // a 中 b, 㐀 (four bytes), an invalid byte, 文, tab-free ASCII.
    const std::string row = "a\xD6\xD0" "b\x81\x39\xEE\x39\xFF\xCE\xC4x";
    const QImage whole = DrawInPieces(row, {});
    // Ink where the characters are.
    const QRgb white = QColor(Qt::white).rgb();
    EXPECT_GT(InkIn(whole, QRect(6, 0, 6, kRowHeight), white), 0);  // left half of 中
    EXPECT_GT(InkIn(whole, QRect(12, 0, 6, kRowHeight), white), 0); // right half of 中
    for (size_t cut = 1; cut < row.size(); ++cut)
        EXPECT_EQ(DrawInPieces(row, {cut}), whole) << "cut at byte " << cut;
    for (size_t cut = 1; cut + 1 < row.size(); ++cut)
        EXPECT_EQ(DrawInPieces(row, {cut, cut + 1}), whole) << "one-byte piece at " << cut;
}

TEST(QtCanvas, FourByteAndInvalidCharactersKeepTheirCells) {
    const QRgb white = QColor(Qt::white).rgb();
    // 㐀 draws in its first two cells; the other two stay blank.
    QImage quad = DrawInPieces("\x81\x39\xEE\x39", {});
    EXPECT_GT(InkIn(quad, QRect(0, 0, 12, kRowHeight), white), 0);
    EXPECT_EQ(InkIn(quad, QRect(12, 0, 12, kRowHeight), white), 0);
    // An invalid byte is a mark in its one cell, and what follows stays on the grid.
    QImage invalid = DrawInPieces("\xFF" "M", {});
    QImage plain = DrawInPieces(" M", {});
    EXPECT_GT(InkIn(invalid, QRect(0, 0, 6, kRowHeight), white), 0);
    EXPECT_EQ(invalid.copy(6, 0, 6, kRowHeight), plain.copy(6, 0, 6, kRowHeight));
    // A lead byte whose follower is no trail byte is invalid on its own; the follower is
    // drawn as itself.
    EXPECT_TRUE(DrawInPieces("\x81!", {}) == DrawInPieces("\xFF!", {}));
    EXPECT_FALSE(DrawInPieces("\x81!", {}) == DrawInPieces(" !", {}));
}

TEST(QtCanvas, OpaqueClippedTextAndColours) {
    QImage image = BlankRow(10);
    QtCanvas canvas(&image, QPalette());
    canvas.SetFont(EditorFont());
    canvas.SetBrushColor(clRed);
    // The rectangle is filled beyond the text and nothing is drawn outside it.
    canvas.TextRect({6, 0, 42, 10}, 6, 0, "MM");
    canvas.Flush();
    EXPECT_EQ(image.pixelColor(40, 5), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(3, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 15), QColor(Qt::white));
    EXPECT_EQ(InkIn(image, QRect(0, 0, 6, kRowHeight), QColor(Qt::white).rgb()), 0);
    int redOrText = InkIn(image, QRect(6, 0, 12, 10), QColor(Qt::red).rgb());
    EXPECT_GT(redOrText, 0); // the glyphs

    // A split character takes each piece's colours in its own cells.
    const std::string row = "\xD6\xD0";
    canvas.SetBrushColor(clWhite);
    canvas.TextRect({0, 0, 6, kRowHeight}, 0, 0, TTextPiece("", row.substr(0, 1), row.substr(1)));
    canvas.SetBrushColor(clBlue);
    canvas.TextRect({6, 0, 12, kRowHeight}, 6, 0, TTextPiece(row.substr(0, 1), row.substr(1), ""));
    canvas.Flush();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(6, 0), QColor(Qt::blue));
    EXPECT_GT(InkIn(image, QRect(6, 0, 6, kRowHeight), QColor(Qt::blue).rgb()), 0);
}

TEST(QtCanvas, StylesDrawOnTheirCells) {
    const QRgb white = QColor(Qt::white).rgb();
    auto draw = [](TFontStyles style, const std::string& text) {
        QImage image = BlankRow(6);
        QtCanvas canvas(&image, QPalette());
        TFontData font = EditorFont();
        font.Style = style;
        canvas.SetFont(font);
        canvas.SetBrushColor(clWhite);
        canvas.TextRect({0, 0, 24, kRowHeight}, 0, 0, text);
        canvas.Flush();
        return image;
    };
    // Underline and strike-out add a line under (through) the text cells only.
    QImage plain = draw({}, "ab");
    QImage underlined = draw({TFontStyle::fsUnderline}, "ab");
    EXPECT_GT(InkIn(underlined, QRect(0, 0, 12, kRowHeight), white), InkIn(plain, QRect(0, 0, 12, kRowHeight), white));
    EXPECT_EQ(InkIn(underlined, QRect(12, 0, 12, kRowHeight), white), 0);
    EXPECT_NE(draw({TFontStyle::fsStrikeOut}, "ab"), plain);
    // Italic (slanted by the canvas: the face has none) still puts a cut character's halves
    // in their cells.
    QImage italic = draw({TFontStyle::fsItalic}, "\xD6\xD0");
    EXPECT_NE(italic, draw({}, "\xD6\xD0"));
    EXPECT_GT(InkIn(italic, QRect(0, 0, 6, kRowHeight), white), 0);
    EXPECT_GT(InkIn(italic, QRect(6, 0, 6, kRowHeight), white), 0);
    EXPECT_EQ(InkIn(italic, QRect(14, 0, 10, kRowHeight), white), 0);
}

TEST(QtCanvas, PixelsMoveInsideAndBetweenImages) {
    QImage image(4, 40, QImage::Format_RGB32);
    const QColor bands[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int band = 0; band < 4; ++band)
        for (int y = band * 10; y < band * 10 + 10; ++y)
            for (int x = 0; x < 4; ++x) image.setPixelColor(x, y, bands[band]);
    // Down by 10 inside rows 10..39: red stays, the uncovered band is rows 10..19.
    EXPECT_EQ(ScrollImage(image, QRect(0, 10, 4, 30), 10), QRect(0, 10, 4, 10));
    EXPECT_EQ(image.pixelColor(0, 5), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(3, 25), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(3, 35), QColor(Qt::blue));
    // Up by 20 of the whole image: the bottom band.
    EXPECT_EQ(ScrollImage(image, image.rect(), -20), QRect(0, 20, 4, 20));
    EXPECT_EQ(image.pixelColor(0, 5), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(0, 15), QColor(Qt::blue));

    // A bitmap's canvas copies into a window canvas, and within itself.
    QtBitmap bitmap(4, 40, QPalette());
    bitmap.Image() = image.copy();
    bitmap.Painter().SetImage(&bitmap.Image());
    QImage window(4, 40, QImage::Format_RGB32);
    window.fill(Qt::white);
    QtCanvas windowCanvas(&window, QPalette());
    windowCanvas.CopyRect({0, 30, 4, 40}, bitmap.GetCanvas(), {0, 0, 4, 10});
    windowCanvas.Flush();
    EXPECT_EQ(window.pixelColor(1, 35), QColor(Qt::green));
    EXPECT_EQ(window.pixelColor(1, 25), QColor(Qt::white));
    bitmap.GetCanvas().CopyRect({0, 10, 4, 40}, bitmap.GetCanvas(), {0, 0, 4, 30});
    EXPECT_EQ(bitmap.Image().pixelColor(0, 15), QColor(Qt::green));
    EXPECT_EQ(bitmap.Image().pixelColor(0, 25), QColor(Qt::blue));
    bitmap.SetSize(2, 50);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Image().pixelColor(1, 25), QColor(Qt::blue));
}
