#pragma once
// The pictures of the schema windows, drawn here: keys (plain, black, gold,
// crossed out), check boxes, the arrows of the index dialog's move buttons and
// the pictures of the buttons along the top.
#include <QPixmap>
#include <QString>

namespace schema::pictures {

QPixmap key();      // a key field
QPixmap blackKey(); // the header of the check column
QPixmap goldKey();  // the key button while rows are marked
QPixmap noKey();    // the key button while no row is marked
QPixmap checked();
QPixmap unchecked();
QPixmap arrowRight(bool grey);
QPixmap arrowLeft(bool grey);
// The picture of a button of the top row, by the button's name; none for a
// name without one (the key button takes its pictures from the marks).
QPixmap forButton(const QString& name);

} // namespace schema::pictures
