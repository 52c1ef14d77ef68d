#pragma once
// The rules of the schema editor's windows, kept apart from their widgets:
// type names and codes, the field dialog's type evaluation, the operations on
// the field collection of a table being edited, the checks a save must pass,
// the plan for adding back a rebuilt table's indexes, the table-list search
// and the index dialog's field lists. QtCore only.
#include "core/Collection.h"
#include "data/clsField.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace schema {

inline const QString kCrLf = QStringLiteral("\r\n");

// --- types

// The text the table list shows for a FieldTypeCode ("" for any other code).
QString DataTypeName(int fieldTypeCode);
// "0" shows as "-", "2147483647" as "(memo)", anything else unchanged.
QString SizeText(const QString& size);

// The ten items of the type list, in list order.
const QStringList& FieldTypeItems();
// FieldTypeCode of a list position (0 for a position outside the list).
int FieldTypeCodeAt(int index);
// List position of a FieldTypeCode; a code outside the list gives 0.
int FieldTypeIndex(int fieldTypeCode);
constexpr int kTextTypeIndex = 8;
constexpr int kLongTypeIndex = 3;

// What the field dialog's type evaluation reads and sets.
struct TypeControls {
    QString length;
    bool lengthEnabled = false;
    bool fixed = false;
    bool fixedEnabled = false;
    bool autoIncrease = false;
    bool autoIncreaseEnabled = false;
    bool zeroLength = false;
    bool zeroLengthEnabled = false;
    bool nulls = false;
    bool nullsEnabled = false;
};

// Sets the controls for the type at a list position (-1: none selected).
// listTag is the item text of the type last evaluated: the default length is
// written only when the type changed since then. Returns the new list tag.
QString EvaluateFieldType(int index, const QString& listTag, TypeControls& c);

// --- the field collection: clsField items keyed by KeyCode, item i at position i

clsFieldPtr FieldAt(const Collection& fields, int position);
// Positions typed or given below 1 mean the first place.
int PositionFromNumber(double position);
// OrdinalPosition 1, 2, 3 ... in collection order.
void RenumberFields(Collection& fields);
// Appends the field when position exceeds the number of fields, else inserts it
// before that position (below 1: first); then renumbers.
void PlaceField(Collection& fields, const clsFieldPtr& field, int position);
// Takes the field out and places it again at position; false when nothing moved.
bool MoveField(Collection& fields, const QString& keyCode, int position);

// The refusal for removing marked fields that an index uses ("" when none does).
// markedNames: the names of the marked rows, in row order.
QString IndexGuardMessage(const Collection* savedIndexes, const QStringList& markedNames);

// Field i becomes key when row i is marked; returns the key names (trimmed), empty for none.
QStringList KeyFromMarks(Collection& fields, const std::vector<bool>& marked, const QStringList& rowNames);

// The zero-length box of the structure window.
struct ZeroLengthState {
    bool enabled = false;
    bool value = false;
    bool setsField = false; // the current field's AllowZeroLenght becomes value
};
ZeroLengthState ZeroLengthRule(int typeIndex, bool sqlServer, bool nullsTicked, bool currentValue);

// Why a table cannot be saved as it stands ("" when it can): a field without
// name, two fields of one name (case ignored), a connection type whose columns
// would have no type.
QString SaveRefusal(const Collection& fields, int connectionType);

// The non-key indexes to add back after a rebuild, their columns under their
// new names, and those that cannot come back.
struct IndexRestore {
    QString name;
    bool unique = false;
    bool ignoreNulls = false;
    QString fields; // joined by "#"
};
struct IndexReAddPlan {
    std::vector<IndexRestore> restore;
    QStringList lost;
};
IndexReAddPlan PlanIndexReAdd(const Collection* savedIndexes, const Collection& fields);
QString IndexesNotRestoredMessage(const QString& table, const QStringList& lost);
// An index that could not be made again: the change is not saved.
QString IndexNotRestoredMessage(const QString& table, const QString& index);
// An index window's refusal with the engine's reason under it, when there is one.
QString WithReason(const QString& message, const QString& reason);

// --- table list

// 1-based positions of the tables whose "Name" holds the search text (case ignored).
std::vector<int> FilterTables(const Collection& tables, const QString& search);
// Puts item in place of position p under key.
void ReplaceItem(Collection& c, int p, const Variant& item, const QString& key);

// --- index dialog

// 1-based place of name among names: before the first that sorts after it by
// character codes (capitals before small letters), else after the last.
int SortedPosition(const QStringList& names, const QString& name);
// Adds name (keyed by itself) before the first entry that sorts after it by character codes.
void AddSorted(Collection& indexFields, const QString& name);
// Names of the table's fields ("Name" of each item) that the index does not hold.
QStringList AvailableFields(const Collection* tableFields, const Collection* indexFields);

// --- item access

CollectionPtr SubCollection(const Collection* item, const QString& key);
QString TextOf(const Collection* item, const QString& key);
bool FlagOf(const Collection* item, const QString& key);

} // namespace schema
