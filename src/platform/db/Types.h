#pragma once
// Numbers the data layer reports and accepts. They keep the values the
// record-set and catalog interfaces of the original platform used, because
// callers compare with them (type mapping tables, nullable bits, cursor kinds).
#include <QString>

namespace db {

// Field and column types (DataTypeEnum).
enum DataType : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adIDispatch = 9,
    adError = 10,
    adBoolean = 11,
    adVariant = 12,
    adIUnknown = 13,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adUserDefined = 132,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

// The types whose values are dates (with or without a time).
inline bool isDateType(int type) { return type == adDate || type == adDBTimeStamp || type == adDBDate; }

// Field attribute bits (FieldAttributeEnum) of a record-set field.
enum FieldAttribute : int {
    adFldUpdatable = 0x4,
    adFldFixed = 0x10,
    adFldIsNullable = 0x20,
    adFldMayBeNull = 0x40,
    adFldLong = 0x80,
    adFldRowID = 0x100,
    adFldKeyColumn = 0x8000,
};

// Catalog column attribute bits (ColumnAttributesEnum).
enum ColumnAttribute : int {
    adColFixed = 1,
    adColNullable = 2,
};

enum CursorType : int {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};

enum LockType : int {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4,
};

enum ObjectState : int {
    adStateClosed = 0,
    adStateOpen = 1,
};

enum CommandType : int {
    adCmdUnspecified = -1,
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8,
};

enum CursorLocation : int {
    adUseServer = 2,
    adUseClient = 3,
};

enum IndexNulls : int {
    adIndexNullsAllow = 0,
    adIndexNullsDisallow = 1,
    adIndexNullsIgnore = 2,
    adIndexNullsIgnoreAny = 4,
};

enum StringFormat : int {
    adClipString = 2,
};

// Error numbers the layer raises (Error::number); the engine's own message
// travels in the description.
enum ErrorNumber : long {
    errDatabase = -2147467259,       // any engine failure (0x80004005)
    errNoCurrentRecord = 3021,       // BOF or EOF is true / the record was deleted
    errItemNotFound = 3265,          // item not found in the collection (catalog, fields)
    errObjectClosed = 3704,          // operation not allowed when the object is closed
    errObjectOpen = 3705,            // operation not allowed when the object is open
    errProviderNotFound = 3706,      // provider cannot be found
    errReadOnlyDatabase = 3051,      // the file is opened read-only / cannot be changed
    errDatabaseExists = 3204,        // database already exists (compaction target)
    errFileInUse = 3356,             // the file is opened exclusively by someone else
};

} // namespace db
