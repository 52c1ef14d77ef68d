// Pictures of each window for looking at: written only when VELMORA_SCREENSHOTS names a folder.
#include "SchemaTestSupport.h"
#include "schema/frmIndex.h"
#include "schema/frmIndexes.h"
#include "schema/frmNewField.h"
#include "schema/frmTableProperties.h"
#include "schema/frmTables.h"

#include <QCoreApplication>
#include <QDir>

using namespace schematest;

TEST_F(SchemaWindowTest, Screenshots)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOTS not set";
    QDir().mkpath(folder);
    local({"CREATE TABLE CLIENTES (A INTEGER NOT NULL, B TEXT(10) NOT NULL, C TEXT(20), Alta DATETIME, Saldo CURRENCY, "
           "CONSTRAINT PK_CLIENTES PRIMARY KEY (A, B))",
           "CREATE INDEX IX_C ON CLIENTES (C, Alta)", "CREATE TABLE Clientes2 (X INTEGER)",
           "CREATE TABLE Pedidos (P INTEGER)"});
    auto shoot = [&](QWidget& w, const char* name) {
        w.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.grab().save(folder + "/" + name + ".png"));
        w.hide();
    };
    frmTables tables;
    connect(tables);
    tables.ensureLoaded();
    shoot(tables, "frmTables");

    frmTableProperties structure;
    connect(structure);
    structure.setEditionMode("M");
    structure.setCurrentTable(table("CLIENTES"));
    structure.ensureLoaded();
    structure.toggleMark(3);
    shoot(structure, "frmTableProperties");

    frmNewField field;
    give(field);
    field.setEditionMode("A");
    field.setPreviousFieldsCount(5);
    field.setFieldPosition(6);
    field.setFieldName("Nombre");
    field.setDataType(8);
    field.showEngineRows(false, 4230);
    shoot(field, "frmNewField");
    field.showEngineRows(true, 6630);
    shoot(field, "frmNewField_SQLServer");

    frmIndexes indexes;
    connect(indexes);
    indexes.setCurrentTable(table("CLIENTES"));
    indexes.ensureLoaded();
    indexes.fgrIndexes->setRow(2);
    shoot(indexes, "frmIndexes");

    frmIndex index;
    give(index);
    auto fields = newCollection();
    fields->Add(Variant("C"), "C");
    index.setIndexFields(fields);
    index.setCurrentTable(table("CLIENTES"));
    index.setEditionMode("M");
    index.setIndexName("IX_C");
    shoot(index, "frmIndex");
}
