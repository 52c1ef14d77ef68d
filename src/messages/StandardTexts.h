#pragma once
// The texts of Qt's own dialogs that Velmora shows (message and input boxes,
// file and folder choosers: their buttons, captions and column headers) in
// the interface language: each has its Spanish text, which goes through the
// translation table like every text of the program.
#include <QString>

class clsError;

namespace messages {

// Translates the standard texts through msg's language in force and puts
// them in place for every Qt dialog shown from now on (again after a change
// of language). Without msg, the Spanish texts.
void installStandardTexts(clsError* msg);

// The Spanish text the program uses for one of Qt's own texts (context and
// source text as Qt asks for them); empty when Qt's text is not one of them.
QString spanishStandardText(const char* context, const char* sourceText);

} // namespace messages
