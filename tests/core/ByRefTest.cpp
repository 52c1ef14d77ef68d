#include "core/ByRef.h"
#include "core/Variant.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

// A member that fills in its argument, as the data layer does with connection values.
void fillIn(ByRef<QString> server)
{
    if (server->isEmpty())
        server = QStringLiteral("stored");
    server.get() += QStringLiteral("!");
}

void handOn(ByRef<QString> server) { fillIn(*server); }

int typeOf(ByRef<Variant> v) { return int(v->type()); }

} // namespace

TEST(ByRef, AVariableReceivesTheRewrittenValueAndAValueStaysTheCallers)
{
    QString variable;
    fillIn(variable);
    EXPECT_EQ(variable, "stored!");

    // Handed on, it is still the caller's variable.
    QString other = QStringLiteral("mine");
    handOn(other);
    EXPECT_EQ(other, "mine!");

    // A constant or a temporary is worked on as the member's own copy.
    const QString constant = QStringLiteral("fixed");
    fillIn(constant);
    EXPECT_EQ(constant, "fixed");
    fillIn(QStringLiteral("temp"));
    fillIn("literal");

    // Anything the type can be made from.
    EXPECT_EQ(typeOf(QStringLiteral("x")), int(VarType::String));
    EXPECT_EQ(typeOf(std::int32_t(3)), int(VarType::Long));
    Variant held(2.5);
    EXPECT_EQ(typeOf(held), int(VarType::Double));
}
