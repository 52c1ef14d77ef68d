#pragma once
// Input controls as the services see them: anything with a text property
// ("text", or "currentText" for a combo box, or "plainText"), a "visible"
// property and a setFocus slot. Plain Qt widgets qualify, and so do the
// program's own controls; tests use small QObjects.
#include <QString>

class QObject;

namespace ControlAccess {

// Raises ObjectDoesNotSupport (438) when the control has no text.
QString text(QObject* control);
void setText(QObject* control, const QString& value);
bool visible(QObject* control);
void setFocus(QObject* control);

} // namespace ControlAccess
