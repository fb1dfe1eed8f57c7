#pragma once

class QWidget;

// The form's places were measured with Windows fonts; the fonts that stand in for them here can
// be a few pixels wider. Every shown label, check box and radio button under root whose caption
// would be clipped gets its letters set slightly closer, just enough to fit, never by more than
// kMaxSqueeze pixels a letter. Places and sizes stay as the form gives them.
// Call once after the form is built.
void fitCaptions(QWidget* root);

// Whether the caption of a label, check box or radio button fits in the room its widget gives it.
bool captionFits(const QWidget* widget);

inline constexpr double kMaxSqueeze = 0.8;
