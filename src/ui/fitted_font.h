#pragma once
// Captions keep the places and sizes of the window's design; where the
// window's face is too wide for a caption, the caption gets a narrower face.

#include <QFont>
#include <QStringList>

class QCheckBox;

namespace dw::ui {

// `base` made narrower, then smaller, until the widest of `texts` is at most
// `room` pixels wide: first the condensed widths of the face, then half a
// point less at a time, down to 6 points.
QFont fittedFont(const QFont& base, const QStringList& texts, int room);

// The width the style leaves a check box's caption beside its indicator.
int checkBoxTextRoom(const QCheckBox* box);

}  // namespace dw::ui
