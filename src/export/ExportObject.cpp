#include "export/ExportObject.h"

#include "core/Dialogs.h"
#include "messages/clsError.h"

bool ExportObject::StartObject(QObject* oParent, std::shared_ptr<clsDO> ObjetoConsulta,
                               std::shared_ptr<clsError> ObjetoError, std::shared_ptr<clsTablas> ObjetoTablas)
{
    parent_ = oParent;
    zolt_ = std::move(ObjetoConsulta);
    msg_ = std::move(ObjetoError);
    scr_ = std::move(ObjetoTablas);
    return true;
}

void ExportObject::notice(const QString& text) const
{
    if (msg_)
        msg_->MsgBox(text, 64, QStringLiteral("Aviso"));
    else
        SystemMsgBox(text, 64, QStringLiteral("Aviso"));
}

void ExportObject::report(const QString& procedureText) const
{
    if (msg_)
        msg_->MostrarError(procedureText, component_, 16, QStringLiteral("Error"));
    else
        SystemMsgBox(QStringLiteral("Error en ") + procedureText + QStringLiteral("\r\n") + component_.toUpper(), 16,
                     QStringLiteral("Error"));
}
