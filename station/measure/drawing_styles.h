// How new shapes look: the label line height from the label font size, the default font of
// Text shapes, and the font structure of the font files mapped to and from QFont.
#pragma once

#include "base/log_font.h"
#include "measure/graph.h"

#include <QColor>
#include <QFont>
#include <QPen>

namespace quelmar::station {

class Language;
class Prompt;
class SettingsIo;
struct StationSettings;

// What the two style dialogs change and store: the settings, the font they edit and its
// file, and how they ask and word things.
struct StyleDialogContext {
    StationSettings *settings = nullptr;
    SettingsIo *io = nullptr;
    LogFont *font = nullptr; // the label font (pen dialog) or the text font (text dialog)
    QString fontFile;        // "Measurefont.ini" or "logfont.ini"
    Prompt *prompt = nullptr;
    const Language *language = nullptr;
};

// Asks for a font with its colour; on OK replaces both and writes the font to its file at
// once. False when the user cancelled.
bool chooseStyleFont(Prompt &prompt, LogFont &font, ColorRef &colour, const QString &fontFile);

// The step between a label's name line and value line for label font size `size`.
int labelLineHeight(int size);

// The Text shapes' font when "logfont.ini" holds none.
LogFont defaultTextFont();

// The font structure as a QFont: a negative height is the character height in pixels, a
// positive one the cell height; all zero is the system's default font.
QFont toQFont(const LogFont &font);
// The QFont back as a structure; the fields a QFont does not describe come from `base`.
LogFont fromQFont(const QFont &font, const LogFont &base = {});

QColor toQColor(ColorRef colour);
ColorRef fromQColor(const QColor &colour);

// The pen of a shape: dashes only at width 1, as the system draws them; wider pens solid.
QPen shapePen(int width, int style, ColorRef colour);

// A new shape's style, copied from the settings and the label font.
void applyStyle(CGraph &shape, const StationSettings &settings, const LogFont &labelFont);

} // namespace quelmar::station
