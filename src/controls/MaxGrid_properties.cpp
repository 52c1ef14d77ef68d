// The 47 saved design-time properties of the grid, in their order.
#include "MaxGrid.h"

#include <functional>
#include <vector>

namespace {

[[noreturn]] void refuse() { raise(381, QStringLiteral("Valor de propiedad no válido"), QStringLiteral("MaxGrid")); }

// A missing key arrives as an empty value, which the grid refuses.
int asInt(const QVariant& v)
{
    bool ok = false;
    const int i = v.isValid() ? v.toInt(&ok) : 0;
    if (!ok)
        refuse();
    return i;
}

std::uint32_t asColor(const QVariant& v)
{
    bool ok = false;
    const qlonglong c = v.isValid() ? v.toLongLong(&ok) : 0;
    if (!ok || c < 0 || c > 0xFFFFFFFFll)
        refuse();
    return std::uint32_t(c);
}

bool asBool(const QVariant& v)
{
    if (!v.isValid() || !v.canConvert<bool>())
        refuse();
    return v.toBool();
}

QString asText(const QVariant& v)
{
    if (!v.isValid())
        refuse();
    return v.toString();
}

struct Key {
    const char* name;
    std::function<QVariant()> get;
    std::function<void(const QVariant&)> set;
};

} // namespace

namespace {
std::vector<Key> keysOf(MaxGrid& g, bool& editable, bool& growing, QString& types)
{
    auto color = [&g](std::uint32_t (MaxGrid::*get)() const, void (MaxGrid::*set)(std::uint32_t)) {
        return std::pair{std::function<QVariant()>([&g, get] { return QVariant(uint((g.*get)())); }),
                         std::function<void(const QVariant&)>([&g, set](const QVariant& v) { (g.*set)(asColor(v)); })};
    };
    auto integer = [&g](int (MaxGrid::*get)() const, void (MaxGrid::*set)(int)) {
        return std::pair{std::function<QVariant()>([&g, get] { return QVariant((g.*get)()); }),
                         std::function<void(const QVariant&)>([&g, set](const QVariant& v) { (g.*set)(asInt(v)); })};
    };
    auto boolean = [&g](bool (MaxGrid::*get)() const, void (MaxGrid::*set)(bool)) {
        return std::pair{std::function<QVariant()>([&g, get] { return QVariant((g.*get)()); }),
                         std::function<void(const QVariant&)>([&g, set](const QVariant& v) { (g.*set)(asBool(v)); })};
    };
    auto key = [](const char* name, auto accessors) { return Key{name, accessors.first, accessors.second}; };

    return {
        key("Appearance", integer(&MaxGrid::Appearence, &MaxGrid::setAppearence)),
        key("BackColor", color(&MaxGrid::BackColor, &MaxGrid::setBackColor)),
        key("BackColorBkg", color(&MaxGrid::BackColorBkg, &MaxGrid::setBackColorBkg)),
        key("BackColorFixed", color(&MaxGrid::BackColorFixed, &MaxGrid::setBackColorFixed)),
        key("BackColorSel", color(&MaxGrid::BackColorSel, &MaxGrid::setBackColorSel)),
        key("BorderStyle", integer(&MaxGrid::BorderStyle, &MaxGrid::setBorderStyle)),
        key("ForeColor", color(&MaxGrid::ForeColor, &MaxGrid::setForeColor)),
        key("ForeColorFixed", color(&MaxGrid::ForeColorFixed, &MaxGrid::setForeColorFixed)),
        key("ForeColorSel", color(&MaxGrid::ForeColorSel, &MaxGrid::setForeColorSel)),
        key("GridColor", color(&MaxGrid::GridColor, &MaxGrid::setGridColor)),
        key("GridColorFixed", color(&MaxGrid::GridColorFixed, &MaxGrid::setGridColorFixed)),
        key("GridLines", integer(&MaxGrid::GridLines, &MaxGrid::setGridLines)),
        key("GridLinesFixed", integer(&MaxGrid::GridLinesFixed, &MaxGrid::setGridLinesFixed)),
        key("GridLineWidth", integer(&MaxGrid::GridLineWidth, &MaxGrid::setGridLineWidth)),
        key("MergeCells", integer(&MaxGrid::MergeCells, &MaxGrid::setMergeCells)),
        key("RowHeightMin", integer(&MaxGrid::RowHeightMin, &MaxGrid::setRowHeightMin)),
        key("TextStyle", integer(&MaxGrid::TextStyle, &MaxGrid::setTextStyle)),
        key("TextStyleFixed", integer(&MaxGrid::TextStyleFixed, &MaxGrid::setTextStyleFixed)),
        key("WordWrap", boolean(&MaxGrid::WordWrap, &MaxGrid::setWordWrap)),
        key("AllowBigSelection", boolean(&MaxGrid::AllowBigSelection, &MaxGrid::setAllowBigSelection)),
        key("AllowUserResizing", integer(&MaxGrid::AllowUserResizing, &MaxGrid::setAllowUserResizing)),
        key("CausesValidation", boolean(&MaxGrid::CausesValidation, &MaxGrid::setCausesValidation)),
        Key{"AutomaticGrowing", [&] { return QVariant(growing); }, [&](const QVariant& v) { growing = asBool(v); }},
        key("DragMode", integer(&MaxGrid::DragMode, &MaxGrid::setDragMode)),
        key("FillStyle", integer(&MaxGrid::FillStyle, &MaxGrid::setFillStyle)),
        key("FocusRect", integer(&MaxGrid::FocusRect, &MaxGrid::setFocusRect)),
        key("HighLight", integer(&MaxGrid::HighLight, &MaxGrid::setHighLight)),
        key("Redraw", boolean(&MaxGrid::Redraw, &MaxGrid::setRedraw)),
        key("RightToLeft", boolean(&MaxGrid::RightToLeft, &MaxGrid::setRightToLeft)),
        key("ScrollBars", integer(&MaxGrid::ScrollBars, &MaxGrid::setScrollBars)),
        key("ScrollTrack", boolean(&MaxGrid::ScrollTrack, &MaxGrid::setScrollTrack)),
        key("SelectionMode", integer(&MaxGrid::SelectionMode, &MaxGrid::setSelectionMode)),
        Key{"Font", [&g] { return QVariant(g.Font()); },
            [&g](const QVariant& v) {
                if (!v.isValid() || !v.canConvert<QFont>())
                    refuse();
                g.setFont(v.value<QFont>());
            }},
        key("Cols", integer(&MaxGrid::Cols, &MaxGrid::setCols)),
        Key{"DataSource", [&g] { return QVariant::fromValue(g.DataSource()); },
            [&g](const QVariant& v) {
                if (v.isValid() && !v.canConvert<Variant>())
                    refuse();
                g.setDataSource(v.value<Variant>());
            }},
        Key{"Enabled", [&g] { return QVariant(g.Enabled()); }, [&g](const QVariant& v) { g.setEnabled(asBool(v)); }},
        key("FixedCols", integer(&MaxGrid::FixedCols, &MaxGrid::setFixedCols)),
        key("FixedRows", integer(&MaxGrid::FixedRows, &MaxGrid::setFixedRows)),
        Key{"FormatString", [&g] { return QVariant(g.FormatString()); },
            [&g](const QVariant& v) { g.setFormatString(asText(v)); }},
        Key{"TypesString", [&] { return QVariant(types); }, [&](const QVariant& v) { types = asText(v); }},
        key("HelpContextID", integer(&MaxGrid::HelpContextID, &MaxGrid::setHelpContextID)),
        key("MousePointer", integer(&MaxGrid::MousePointer, &MaxGrid::setMousePointer)),
        key("OLEDropMode", integer(&MaxGrid::OLEDropMode, &MaxGrid::setOLEDropMode)),
        key("PictureType", integer(&MaxGrid::PictureType, &MaxGrid::setPictureType)),
        key("Rows", integer(&MaxGrid::Rows, &MaxGrid::setRows)),
        Key{"ToolTipText", [&g] { return QVariant(g.ToolTipText()); },
            [&g](const QVariant& v) { g.setToolTipText(asText(v)); }},
        Key{"Editable", [&] { return QVariant(editable); }, [&](const QVariant& v) { editable = asBool(v); }},
    };
}
} // namespace

void MaxGrid::WriteProperties(controls::PropertyBag& bag) const
{
    auto& self = const_cast<MaxGrid&>(*this); // the table serves both directions; writing changes nothing
    bool editable = editable_, growing = automaticGrowing_;
    QString types = typesString_;
    for (const Key& k : keysOf(self, editable, growing, types)) {
        const QString name = QString::fromLatin1(k.name);
        bag.WriteProperty(name, k.get(), name == u"Appearance" ? QVariant(0) : QVariant());
    }
}

void MaxGrid::ReadProperties(const controls::PropertyBag& bag)
{
    // The grid's own fields take their values straight, without what
    // assigning them would do: a loaded type list checks nothing until the
    // host assigns TypesString at run time.
    for (const Key& k : keysOf(*this, editable_, automaticGrowing_, typesString_)) {
        const QString name = QString::fromLatin1(k.name);
        const QVariant def = name == u"Appearance" ? QVariant(0) : name == u"Editable" ? QVariant(false) : QVariant();
        controls::readProperty(bag, name, def, k.set);
    }
}
