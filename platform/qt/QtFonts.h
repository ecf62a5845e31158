// The font mapping of the Qt backend: the program's font names to installed faces, and the
// colour conversions its canvases share.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "base/Color.h"
#include "platform/Canvas.h"

namespace platform::qt {

// The fixed face in which a Chinese glyph is exactly two ASCII cells wide.
inline constexpr const char* kEditorFace = "Noto Sans Mono CJK SC";

// The Windows names the program uses ("宋体", the editor fonts) become kEditorFace; any other
// name is asked for first, with kEditorFace behind it for the characters it lacks.
QString FaceFor(const std::string& name);
QFont QtFontFor(const TFontData& font);

// An RGB colour, or a system colour taken from palette.
QColor QtColorFor(TColor color, const QPalette& palette);
TColor ColorFromQt(const QColor& color);

} // namespace platform::qt
