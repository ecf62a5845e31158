// The program's own images: the window icon and the button glyphs, drawn in code.
#pragma once

#include <QIcon>

enum class TGlyph { Connect, NewConnection, About, Close, Run, Export, Save, Clear, Copy, Help, OK };

// The program icon: a database drum with a script sheet.
QIcon ProgramIcon();
// A 16 by 16 button glyph.
QIcon ButtonIcon(TGlyph glyph);
