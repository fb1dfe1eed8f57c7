#pragma once

class QPDF;

// Makes text drawn in shaped scripts searchable. Qt's PDF engine maps each glyph back to the
// character that the font's own table gives it; a shaped Arabic glyph (an initial, medial or
// final form, a lam-alef) comes back as a presentation form (U+FB50-FDFF, U+FE70-FEFF), which
// copies and searches as a different character from the letter typed. Every font's ToUnicode
// map is rewritten so that such a glyph names its letters (their compatibility decomposition).
void MapPresentationFormsToLetters(QPDF& pdf);
