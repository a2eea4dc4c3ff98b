// Decoding of the values db-lib hands over and of the plain forms of sql_variant values.
#include <gtest/gtest.h>

#include "sqldmo/Error.h"
#include "sqldmo/tds/ValueForms.h"
#include "tests/tdsserver/CatalogResults.h"
#include "tests/tdsserver/ModelText.h"

namespace tdstest {
namespace {

using namespace sqldmo;
using namespace sqldmo::tds;

TEST(ValueForms, DateTimeTicksBecomeTheMillisecondsTheServerShows) {
    struct Case { std::int32_t days, ticks; DateTimeValue expected; };
    const Case cases[] = {
        {0, 0, {1900, 1, 1, 0, 0, 0, 0}},
        {0, 1, {1900, 1, 1, 0, 0, 0, 3}},
        {0, 2, {1900, 1, 1, 0, 0, 0, 7}},
        {0, 299, {1900, 1, 1, 0, 0, 0, 997}},
        {-53690, 0, {1753, 1, 1, 0, 0, 0, 0}},
        {37318, 15220937, {2002, 3, 5, 14, 5, 36, 457}},
        {2958463, 25919999, {9999, 12, 31, 23, 59, 59, 997}},
        {38044, 0, {2004, 2, 29, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(dateTimeFromTicks(c.days, c.ticks), c.expected) << c.days << " " << c.ticks;
    EXPECT_EQ(dateTimeFromMinutes(65535, 1439), (DateTimeValue{2079, 6, 6, 23, 59, 0, 0}));
}

TEST(ValueForms, ExactNumbersAreWrittenAsTheServerHasThem) {
    EXPECT_EQ(moneyText(0), "0.0000");
    EXPECT_EQ(moneyText(-1), "-0.0001");
    EXPECT_EQ(moneyText(123450000), "12345.0000");
    EXPECT_EQ(moneyText(INT64_MIN), "-922337203685477.5808");
    EXPECT_EQ(moneyText(INT64_MAX), "922337203685477.5807");
    EXPECT_EQ(decimalText(false, std::string("\x04\xD2", 2), 2), "12.34");
    EXPECT_EQ(decimalText(true, std::string("\x00\x05", 2), 3), "-0.005");
    EXPECT_EQ(decimalText(true, std::string(4, '\0'), 2), "0.00");
    EXPECT_EQ(decimalText(false, std::string("\x07", 1), 0), "7");
    EXPECT_EQ(decimalText(false, std::string(16, '\xFF'), 0), "340282366920938463463374607431768211455");
    EXPECT_EQ(guidText(std::string("\xFF\x19\x96\x6F\x86\x8B\x11\xD0\xB4\x2D\x00\xC0\x4F\xC9\x64\xFF", 16)),
              "6F9619FF-8B86-D011-B42D-00C04FC964FF");
}

TEST(ValueForms, VariantPartsGiveBackTheValue) {
    auto variant = [](Value v, int precision = 0, int scale = 0, int maxLength = 0) {
        v.variant = true;
        v.precision = precision;
        v.scale = scale;
        v.maxLength = maxLength;
        return v;
    };
    const Value cases[] = {
        variant(Value::ofInteger(SqlType::Int, -7)), variant(Value::ofInteger(SqlType::BigInt, INT64_MIN)),
        variant(Value::ofInteger(SqlType::SmallInt, -2)), variant(Value::ofInteger(SqlType::TinyInt, 255)),
        variant(Value::ofInteger(SqlType::Bit, 1)), variant(Value::ofFloat(SqlType::Float, -0.1)),
        variant(Value::ofFloat(SqlType::Real, 0.25)), variant(Value::ofExact(SqlType::Money, "-922337203685477.5808")),
        variant(Value::ofExact(SqlType::SmallMoney, "1.2500")), variant(Value::ofExact(SqlType::Decimal, "-12.340"), 10, 3),
        variant(Value::ofExact(SqlType::Numeric, "0.5"), 2, 1),
        variant(Value::ofDateTime(SqlType::DateTime, {1753, 1, 1, 23, 59, 59, 997})),
        variant(Value::ofDateTime(SqlType::SmallDateTime, {2079, 6, 6, 23, 59, 0, 0})),
        variant(Value::ofGuid("12345678-9ABC-DEF0-1234-56789ABCDEF0")),
        variant(Value::ofText(SqlType::VarChar, "it's"), 0, 0, 10), variant(Value::ofText(SqlType::NVarChar, "Ω€"), 0, 0, 2),
        variant(Value::ofText(SqlType::Char, std::string(6000, 'c')), 0, 0, 6000),
        variant(Value::ofBinary(SqlType::VarBinary, std::string("\0\xFF", 2)), 0, 0, 2),
    };
    for (const auto& v : cases) {
        auto parts = variantParts(v);
        VariantParts p;
        auto text = [](const Value& x) { return x.isNull() ? std::nullopt : std::optional<std::string>(x.text); };
        p.baseType = text(parts[0]);
        p.precision = static_cast<int>(parts[1].integer);
        p.scale = static_cast<int>(parts[2].integer);
        p.maxLength = static_cast<int>(parts[3].integer);
        p.unicodeText = text(parts[4]);
        p.charText = text(parts[5]);
        p.binary = text(parts[6]);
        Value back = variantFromParts(p);
        EXPECT_EQ(valueText(v), valueText(back));
        EXPECT_TRUE(v == back) << valueText(v);
    }
    EXPECT_TRUE(variantFromParts({}).isNull());
    VariantParts wrong;
    wrong.baseType = "int";
    wrong.binary = std::string(2, '\0');
    EXPECT_THROW(variantFromParts(wrong), Error);
}

}  // namespace
}  // namespace tdstest
