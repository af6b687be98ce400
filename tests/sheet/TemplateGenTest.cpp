// A layout description that cannot make a usable sheet stops the generator
// with an error that names the fault.

#include <gtest/gtest.h>

#include <QFile>

#include <string>

#include "SheetLayout.h"

namespace {

QByteArray rdxLayout() {
    QFile file(QStringLiteral(VANTREL_SHEET_LAYOUT));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

std::string errorOf(const QByteArray& json) {
    try {
        templategen::resolveLayout(json);
    } catch (const templategen::LayoutError& e) {
        return e.what();
    }
    return "no error";
}

QByteArray replaced(QByteArray json, const char* from, const char* to) {
    EXPECT_TRUE(json.contains(from)) << from;
    return json.replace(from, to);
}

}  // namespace

TEST(TemplateGen, RdxLayoutPlacesEverySheetFieldOnce) {
    const templategen::SheetLayout layout = templategen::resolveLayout(rdxLayout());
    EXPECT_EQ(layout.fields.size(), 112u);
    EXPECT_EQ(layout.pictures.size(), 9u);
}

TEST(TemplateGen, RejectsLayoutsThatCannotMakeASheet) {
    const QByteArray rdx = rdxLayout();
    const struct {
        QByteArray json;
        std::string error;
    } cases[] = {
        {replaced(rdx, R"(["Driver", "DriverName"], )", ""), "fields not placed: DriverName"},
        {replaced(rdx, R"("RaceDate")", R"("DriverName")"), "DriverName: the field is placed more than once"},
        {replaced(rdx, R"("RaceDate")", R"("RaceDay")"), "\"RaceDay\" is not a sheet field"},
        {replaced(rdx, R"("name": "RearHub")", R"("name": "RearHubs")"), "there is no picture \"RearHubs\""},
        {replaced(rdx, R"("rect": [20, 732, 200, 90])", R"("rect": [20, 800, 200, 90])"), "lies outside the page"},
        {replaced(rdx, R"("rect": [225, 732, 178, 90])", R"("rect": [20, 732, 178, 90])"), "overlaps"},
        {replaced(rdx, R"("labelWidth": 52, "items")", R"("labelWidth": 52, "items": 5, "x")"),
         "\"items\" must be a list"},
        {rdx.left(rdx.size() / 2), "offset"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(errorOf(c.json).find(c.error), std::string::npos) << errorOf(c.json);
    }
}
