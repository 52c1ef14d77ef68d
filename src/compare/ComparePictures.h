#pragma once
// The comparison window's pictures, drawn here: one per state word, the two
// connectors of the index tree, and the pictures of its push buttons.
#include <QPixmap>

namespace compare::pictures {

QPixmap equal();        // imgEqual
QPixmap different();    // imgDifferent
QPixmap onlyCurrent();  // imgOnlyCurrent
QPixmap onlyCompared(); // imgOnlyCompared
QPixmap midIndexField();  // imgMidIndexField: a branch that goes on
QPixmap lastIndexField(); // imgLastIndexField: the last branch
QPixmap compareButton(bool grey);
QPixmap filterButton(bool grey);
QPixmap exitButton();

} // namespace compare::pictures
