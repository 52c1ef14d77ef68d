#include "schema/ModalRunner.h"

#include "schema/SchemaDialog.h"

namespace schema {

void runModal(QDialog& dialog, QWidget* owner)
{
    if (auto* d = dynamic_cast<SchemaDialog*>(&dialog))
        d->ensureLoaded();
    controls::runModal(dialog, owner);
}

} // namespace schema
