// Whether the loaded result may be edited: the key fields of its table (from
// the key box or the declared primary key), the test that no key value is
// held twice, the column types and locked key columns handed to the grid, the
// edit buttons, and the idle timer that re-checks after typing.
#include "querypage/MaxSQL.h"

#include "data/clsDO.h"
#include "editing/clsMultiTabla.h"
#include "querypage/KeyFields.h"
#include "querypage/PushButton.h"
#include "querypage/StructureFields.h"
#include "querypage/modCommons.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

QStringList namesOf(const std::vector<StructureField>& fields)
{
    QStringList names;
    for (const StructureField& f : fields)
        names << f.name;
    return names;
}

// An answer of the repeated-key query that holds no row.
bool holdsNoRow(const Variant& answer)
{
    if (!answer.isArray())
        return answer.isEmpty() || answer.isNull();
    const VArray& a = *answer.array();
    return a.dimensions() < 2 ? a.ubound() < a.lbound() : a.ubound(2) < a.lbound(2);
}

} // namespace

QString MaxSQL::TypeWord(std::int16_t fieldTypeCode) { return keyfields::typeWord(fieldTypeCode); }

QString MaxSQL::KeyFieldAt(const Variant& structure, std::int32_t position)
{
    return keyfields::fieldAt(namesOf(structureFields(structure)), position);
}

QString MaxSQL::FieldIndexByName(const Variant& structure, const QString& name)
{
    return keyfields::indexByName(namesOf(structureFields(structure)), name);
}

void MaxSQL::ResetEditState(bool keyButton)
{
    GridEditable = false;
    flexi_->setEditable(false);
    SingleTable = false;
    EditTableName.clear();
    KeyPositions.clear();
    KeyList.clear();
    GridTypes.clear();
    GridLockedColumns.clear();
    KeyUnique = false;
    if (keyButton) {
        BttKey->setEnabled(ConnectionType() == 0);
        scriptEnabled_ = true;
        emit ScriptEnabledChanged();
    }
    SetEditButtons();
}

void MaxSQL::ResolveKeyFields(const Variant& structure)
{
    const std::vector<StructureField> fields = structureFields(structure);
    if (fields.empty())
        return;
    QString keyText = keyfields::keyText(txtKeyFields->toPlainText());
    // A declared primary key identifies every row by itself: no need to count.
    bool declared = false;
    if (keyText.isEmpty() && SingleTable && !EditTableName.isEmpty()) {
        QString table = EditTableName;
        table.remove(u'[').remove(u']');
        const CollectionPtr key = zoltObject_->TableKey(QString(), QString(), QString(), QString(), table);
        if (key && key->Count() > 0) {
            QStringList names;
            for (const Variant& v : *key)
                names << v.toString();
            // The box keeps line breaks its own way: its change handler compares with what it holds.
            {
                const QSignalBlocker quiet(txtKeyFields);
                txtKeyFields->setPlainText(names.join(QStringLiteral(",\r\n")));
            }
            LastKeyFieldsText = txtKeyFields->toPlainText();
            keyText = keyfields::keyText(names.join(u','));
            declared = true;
        }
    }
    const keyfields::Resolution r = keyfields::resolve(keyText, namesOf(fields), EditTableName);
    if (!r.ok) {
        KeyPositions.clear();
        KeyList.clear();
        KeyUnique = false;
        LastKeyFieldsText.clear();
        txtKeyFields->clear();
        return;
    }
    KeyPositions = r.positions;
    KeyList = r.list;
    GridLockedColumns = r.locked;
    KeyUnique = declared;
    if (!declared) {
        QString statement = keyfields::repeatedKeyStatement(KeyList, EditTableName);
        const Variant repeated = zoltObject_->Query(statement, QString(), QString(), QString(), QString(),
                                                    QStringLiteral("BiDimArray"));
        KeyUnique = holdsNoRow(repeated);
    }
    if (!KeyUnique)
        return;
    QStringList types;
    for (const StructureField& f : fields)
        types << keyfields::typeWord(f.type);
    GridTypes = types.join(u'|');
}

void MaxSQL::CheckEditable()
{
    guarded("CheckEditable", [this] {
        GridEditable = false;
        if (SingleTable) {
            BttKey->setEnabled(true);
            scriptEnabled_ = true;
            emit ScriptEnabledChanged();
            // Edits need the record set this result was loaded with.
            GridEditable = KeyUnique && OT != nullptr;
        }
        if (GridEditable) {
            flexi_->setLockedColumns(GridLockedColumns);
            flexi_->setTypesString(GridTypes);
            flexi_->setEditable(true);
            SetEditButtons();
        } else {
            ResetEditState(false);
        }
    });
}

void MaxSQL::SetEditButtons()
{
    if (!GridEditable) {
        BttAdd->setEnabled(false);
        BttDelete->setEnabled(false);
        BttConfirm->setEnabled(false);
        return;
    }
    BttAdd->setEnabled(!PagingActive);
    BttDelete->setEnabled(true);
    BttConfirm->setEnabled(OT && OT->RegistrosEditados() > 0);
}

void MaxSQL::txtTabla_Change()
{
    guarded("txtTabla_Change", [this] { boxChanged(txtTabla->toPlainText(), LastSqlText); });
}

void MaxSQL::txtKeyFields_Change()
{
    guarded("txtKeyFields_Change", [this] { boxChanged(txtKeyFields->toPlainText(), LastKeyFieldsText); });
}

void MaxSQL::boxChanged(const QString& text, QString& lastText)
{
    // Writing the same text back changes nothing, not even the time of the last edit.
    if (text != lastText) {
        LastEditTime = now();
        ResetEditState(true);
        tmrCheckEditable->start();
    }
    lastText = text;
}

void MaxSQL::tmrCheckEditable_Timer()
{
    CheckRunning = true;
    guarded("tmrCheckEditable_Timer", [this] {
        // Whole seconds: the check waits until the clock's second has moved on.
        if (now().toSecsSinceEpoch() - LastEditTime.toSecsSinceEpoch() < 1)
            return;
        tmrCheckEditable->stop();
        tmrCheckEditable->setInterval(300);
        modCommons::HighlightKeywords(txtTabla, txtShadow);
        CheckEditable();
    });
    CheckRunning = false;
}
