#pragma once
// What the non-visual classes need of the message object: its message dialog
// and its error report. The message subsystem's clsError implements it; the
// services and the record engine hold it through this interface, so they
// reach no widget code.
#include "ByRef.h"
#include "Object.h"

#include <QString>
#include <cstdint>
#include <memory>

class MessageReporter : public Object {
public:
    // The message dialog: answers the code of the button pressed (1 OK,
    // 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). Variables passed in
    // receive the texts as shown.
    virtual std::int32_t MsgBox(ByRef<QString> myBody, std::int32_t myStyle, ByRef<QString> myMainTitle,
                                ByRef<QString> mySubTitle = QString(), bool bShowDontAskAgain = false) = 0;
    // The report of the classes' error handlers ("Seguridad" shows a plain
    // notice, any other title "Error en" the procedure and the component).
    virtual void MostrarError(const QString& Procedimiento, const QString& Componente, std::int32_t TipoMensaje,
                              const QString& Titulo) = 0;
};

using MessageReporterPtr = std::shared_ptr<MessageReporter>;
