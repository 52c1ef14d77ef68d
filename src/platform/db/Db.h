#pragma once
// The data layer in one include: connections, commands, record sets, catalog,
// local files and the test recorder.
#include "Backend.h"
#include "Catalog.h"
#include "Command.h"
#include "Connection.h"
#include "LocalFile.h"
#include "RecordingBackend.h"
#include "Recordset.h"
#include "RowReader.h"
#include "ResultSet.h"
#include "Types.h"
