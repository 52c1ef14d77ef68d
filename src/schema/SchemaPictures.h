#pragma once
// The pictures of the schema windows, drawn here: keys (plain, black, gold,
// crossed out), check boxes and the arrows of the index dialog's move buttons.
#include <QPixmap>

namespace schema::pictures {

QPixmap key();      // a key field
QPixmap blackKey(); // the header of the check column
QPixmap goldKey();  // the key button while rows are marked
QPixmap noKey();    // the key button while no row is marked
QPixmap checked();
QPixmap unchecked();
QPixmap arrowRight(bool grey);
QPixmap arrowLeft(bool grey);

} // namespace schema::pictures
