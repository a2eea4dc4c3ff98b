// The rows of the sample: a few of everything, with NULLs, text in several scripts, numbering
// gaps left by deleted rows, and binary data.
#include <stdexcept>

#include "samples/bookshop/SampleBuilder.h"

namespace sample {

using namespace sqldmo;

namespace {

using Row = std::vector<Value>;

Value null() { return Value::null(); }
Value i32(std::int64_t v) { return Value::ofInteger(SqlType::Int, v); }
Value i64(std::int64_t v) { return Value::ofInteger(SqlType::BigInt, v); }
Value i16(std::int64_t v) { return Value::ofInteger(SqlType::SmallInt, v); }
Value u8(std::int64_t v) { return Value::ofInteger(SqlType::TinyInt, v); }
Value bit(bool v) { return Value::ofInteger(SqlType::Bit, v ? 1 : 0); }
Value money(const char* v) { return Value::ofExact(SqlType::Money, v); }
Value smallmoney(const char* v) { return Value::ofExact(SqlType::SmallMoney, v); }
Value dec(const char* v) { return Value::ofExact(SqlType::Decimal, v); }
Value num(const char* v) { return Value::ofExact(SqlType::Numeric, v); }
Value real(float v) { return Value::ofFloat(SqlType::Real, static_cast<double>(v)); }
Value dbl(double v) { return Value::ofFloat(SqlType::Float, v); }
Value vc(const char* v) { return Value::ofText(SqlType::VarChar, v); }
Value ch(const char* v) { return Value::ofText(SqlType::Char, v); }
Value nv(const char* v) { return Value::ofText(SqlType::NVarChar, v); }
Value nch(const char* v) { return Value::ofText(SqlType::NChar, v); }
Value ntext(const char* v) { return Value::ofText(SqlType::NText, v); }
Value text(const char* v) { return Value::ofText(SqlType::Text, v); }
Value guid(const char* v) { return Value::ofGuid(v); }

// "2003-04-01 10:15:00.000"
DateTimeValue parse(const char* t) {
    DateTimeValue d;
    if (std::sscanf(t, "%d-%d-%d %d:%d:%d.%d", &d.year, &d.month, &d.day, &d.hour, &d.minute, &d.second,
                    &d.millisecond) < 3)
        throw std::runtime_error(std::string("bad date in the sample: ") + t);
    return d;
}
Value dt(const char* t) { return Value::ofDateTime(SqlType::DateTime, parse(t)); }
Value sdt(const char* t) { return Value::ofDateTime(SqlType::SmallDateTime, parse(t)); }

Value bytes(SqlType type, std::initializer_list<unsigned> b) {
    std::string s;
    for (unsigned x : b) s += static_cast<char>(x);
    return Value::ofBinary(type, s);
}

Value variant(Value v, int precision = 0, int scale = 0, int maxLength = 0) {
    v.variant = true;
    v.precision = precision;
    v.scale = scale;
    v.maxLength = maxLength;
    return v;
}

// The computed LineTotal, as the server would work it out: quantity × price × (100 − discount)
// / 100, money kept to four places. Prices and discounts here have at most two decimals.
Value lineTotal(int quantity, const char* unitPrice, const char* discount) {
    const auto hundredths = [](const char* s) {
        long whole = 0, fraction = 0;
        int digits = 0;
        const char* p = s;
        for (; *p && *p != '.'; ++p) whole = whole * 10 + (*p - '0');
        if (*p == '.')
            for (++p; *p && digits < 2; ++p, ++digits) fraction = fraction * 10 + (*p - '0');
        for (; digits < 2; ++digits) fraction *= 10;
        return whole * 100 + fraction;
    };
    const long long total = static_cast<long long>(quantity) * hundredths(unitPrice) * (10000 - hundredths(discount));
    // total is in units of 1/1,000,000; money shows 1/10,000.
    const long long tenThousandths = (total + 50) / 100;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%04lld", tenThousandths / 10000, tenThousandths % 10000);
    return Value::ofExact(SqlType::Money, buffer);
}

Value displayName(const char* name, const char* email) {
    return nv((std::string(name) + " <" + (email ? email : "") + ">").c_str());
}

}  // namespace

std::map<std::string, std::vector<Row>> bookshopRows(const model::Database&) {
    std::map<std::string, std::vector<Row>> rows;

    rows["Authors"] = {
        {i32(1), nv("Inês"), nv("Carvalho"), sdt("1961-08-14"), ch("PT"),
         ntext("Inês Carvalho grew up in a fishing town near Aveiro and writes about the sea."),
         guid("0E984725-C51C-4BF4-9960-E1C80E27ABA0")},
        {i32(2), nv("Søren"), nv("Lykke"), sdt("1958-02-01"), ch("DK"), null(),
         guid("6F9619FF-8B86-D011-B42D-00C04FC964FF")},
        {i32(3), nv("Мария"), nv("Соколова"), null(), ch("RU"),
         ntext("Пишет о зимних садах и старых библиотеках."), guid("A1B2C3D4-E5F6-4711-8899-AABBCCDDEEFF")},
        {i32(4), nv("花子"), nv("山田"), sdt("1972-11-30"), ch("JP"), null(),
         guid("3F2504E0-4F89-11D3-9A0C-0305E82C3301")},
        {i32(5), nv("Ελένη"), nv("Παππά"), sdt("1980-05-09"), ch("GR"), ntext("Ποιήτρια από τη Θεσσαλονίκη."),
         guid("7C9E6679-7425-40DE-944B-E07FC1F90AE7")},
        {i32(6), nv("Siobhán"), nv("O'Connell"), sdt("1949-03-17"), ch("IE"),
         ntext("Keeper of the Ballycotton light for thirty years; \"retired\" in 1999."),
         guid("E02FD0E4-00FD-090A-CA30-0D00A0038BA0")},
        // Authors 7 and 8 were entered twice by mistake and removed.
        {i32(9), nv("Tomás"), nv("Ferreira"), null(), null(), null(), guid("9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D")},
    };

    rows["Publishers"] = {
        {i32(1), nv("Edições Maré Alta"), nv("Porto"), vc("+351 22 000 0001"), vc("http://www.marealta.example")},
        {i32(2), nv("Nordlys Forlag"), nv("København"), vc("+45 33 00 00 02"), null()},
        {i32(3), nv("Издательство «Сад»"), nv("Санкт-Петербург"), null(), vc("http://sad.example")},
        {i32(4), nv("Harbour & Hill Press"), nv("Cork"), vc("+353 21 000 0004"), vc("http://harbourhill.example")},
    };

    const auto cover = bytes(SqlType::Image, {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D,
                                              0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x01});
    rows["Books"] = {
        {vc("9789720000011"), nv("A Casa das Marés"), i32(1), dt("1998-03-05 00:00:00.000"), i16(312), money("18.9000"),
         u8(1), real(0.41f), cover, text("A family of lighthouse keepers and the storm of 1941.")},
        {vc("9789720000028"), nv("A Casa das Marés"), i32(1), dt("2003-10-01 00:00:00.000"), i16(320), money("12.5000"),
         u8(2), real(0.38f), null(), text("The second edition, with the author's afterword.")},
        {vc("8700000003"), nv("Nordlys over Fjorden"), i32(2), dt("1994-09-12 00:00:00.000"), i16(198), money("21.0000"),
         u8(1), real(0.29f), null(), null()},
        {vc("9785000000045"), nv("Зимний сад"), i32(3), dt("2001-12-20 00:00:00.000"), i16(256), money("15.7500"), u8(1),
         real(0.33f), null(), text("Winter in a botanical garden, told by its gardener.")},
        {vc("9784000000052"), nv("風の図書館"), i32(4), dt("2002-04-01 09:30:00.000"), i16(288), money("16.2000"), u8(1),
         real(0.36f), null(), null()},
        {vc("9789600000069"), nv("Το τελευταίο λιμάνι"), i32(4), dt("2000-06-15 00:00:00.000"), i16(142), money("11.0000"),
         u8(1), real(0.22f), null(), text("Poems.")},
        {vc("1850000007"), nv("The Lighthouse Keeper's Almanac"), i32(4), dt("1999-11-11 11:11:11.110"), i16(404),
         money("24.9900"), u8(3), real(0.72f), cover, text("Tides, lamps, weather and thirty years of logbooks.")},
        {vc("1850000015"), nv("Salt & Iron: Essays"), i32(4), null(), null(), null(), u8(1), null(), null(), null()},
    };

    rows["BookAuthors"] = {
        {vc("9789720000011"), i32(1), u8(1)}, {vc("9789720000028"), i32(1), u8(1)},
        {vc("8700000003"), i32(2), u8(1)},    {vc("9785000000045"), i32(3), u8(1)},
        {vc("9784000000052"), i32(4), u8(1)}, {vc("9789600000069"), i32(5), u8(1)},
        {vc("1850000007"), i32(6), u8(1)},    {vc("1850000007"), i32(9), u8(2)},
        {vc("1850000015"), i32(6), u8(1)},    {vc("1850000015"), i32(1), u8(2)},
    };

    rows["PriceHistory"] = {
        {vc("9789720000011"), dt("2002-01-01 00:00:00.000"), money("16.5000"), nv("BOOKSHOP\\manager")},
        {vc("9789720000011"), dt("1998-03-05 00:00:00.000"), money("14.9000"), nv("sa")},
        {vc("1850000007"), dt("2003-06-30 17:45:12.347"), money("22.5000"), nv("BOOKSHOP\\manager")},
        {vc("8700000003"), dt("2000-01-01 00:00:00.003"), null(), nv("sa")},
    };

    const auto customer = [](std::int64_t id, const char* name, const char* email, const char* phone, const char* joined,
                             std::int64_t points, bool active, const char* credit, const char* notes) {
        return Row{i32(id), nv(name), email ? vc(email) : null(), phone ? vc(phone) : null(), dt(joined), i32(points),
                   bit(active), credit ? smallmoney(credit) : null(), notes ? nv(notes) : null(),
                   displayName(name, email)};
    };
    rows["Customers"] = {
        customer(1000, "Ana Sousa", "ana.sousa@example.com", "+351 910 000 001", "2001-02-03 10:00:00.000", 120, true,
                 nullptr, nullptr),
        customer(1001, "Jens Holm", "jens@example.dk", nullptr, "2001-05-17 16:20:00.000", 0, true, nullptr,
                 "Prefers email; no calls."),
        customer(1002, "Ольга Петрова", "olga@example.ru", nullptr, "2002-01-08 12:00:00.000", 35, true, nullptr, nullptr),
        // 1003 closed their account.
        customer(1004, "St. Mary's School Library", "library@stmarys.example", "+353 21 000 0100",
                 "2002-09-01 08:00:00.000", 900, true, "5000.0000", "Account customer: invoice monthly."),
        customer(1005, "Kenji Watanabe", nullptr, "+81 3 0000 0005", "2003-03-03 03:03:03.003", 10, false, nullptr,
                 nullptr),
        customer(1008, "Dimitra Nikolaou", "dimitra@example", nullptr, "2003-07-21 19:05:30.500", 0, true, nullptr,
                 "Imported from the old till: address incomplete."),
    };

    rows["Orders"] = {
        {i32(1), i32(1000), dt("2003-01-10 09:15:00.000"), dt("2003-01-11 14:00:00.000"), ch("S"), money("3.5000"),
         null(), guid("11111111-2222-3333-4444-555555555555")},
        {i32(2), i32(1001), dt("2003-02-14 18:30:00.000"), dt("2003-02-17 10:00:00.000"), ch("S"), money("0.0000"),
         dec("0.0500"), guid("C3D4E5F6-0718-493A-B2C3-D4E5F6071829")},
        {i32(3), i32(1004), dt("2003-03-01 08:00:00.000"), null(), ch("P"), money("12.0000"), dec("0.1500"),
         guid("5E6F7081-92A3-4B4C-9D6E-7F8091A2B3C4")},
        // Order 4 was a test order, deleted.
        {i32(5), i32(1002), dt("2003-05-05 23:59:59.997"), null(), ch("N"), null(), null(),
         guid("0F1E2D3C-4B5A-4968-8776-655443322110")},
        {i32(6), i32(1000), dt("2003-06-30 12:00:00.000"), null(), ch("C"), money("3.5000"), null(),
         guid("ABCDEF01-2345-4678-9ABC-DEF012345678")},
        {i32(9), i32(1008), dt("2003-08-01 10:10:10.100"), dt("2003-08-02 09:00:00.000"), ch("S"), money("5.2500"),
         dec("0.0000"), guid("FEDCBA98-7654-4321-8FED-CBA987654321")},
    };

    const auto line = [](std::int64_t order, std::int64_t no, const char* isbn, int quantity, const char* price,
                         const char* discount) {
        return Row{i32(order), i16(no), vc(isbn), i32(quantity), money(price), dec(discount),
                   lineTotal(quantity, price, discount)};
    };
    rows["OrderLines"] = {
        line(1, 1, "9789720000028", 1, "12.50", "0.00"),   line(1, 2, "8700000003", 2, "21.00", "0.00"),
        line(2, 1, "1850000007", 1, "24.99", "5.00"),      line(3, 1, "9789720000028", 30, "12.50", "15.00"),
        line(3, 2, "1850000007", 10, "24.99", "15.00"),    line(3, 3, "9789600000069", 12, "11.00", "12.50"),
        line(5, 1, "9785000000045", 1, "15.75", "0.00"),   line(6, 1, "9784000000052", 1, "16.20", "0.00"),
        line(9, 1, "9789720000011", 1, "18.90", "0.00"),   line(9, 2, "1850000015", 3, "9.99", "33.33"),
    };

    rows["Reviews"] = {
        {i32(1), vc("9789720000028"), i32(1000), u8(5), nv("Li-o duas vezes. Lindíssimo."), dt("2003-01-20 21:00:00.000")},
        {i32(2), vc("1850000007"), i32(1001), u8(4), nv("Lovely tables of tides; the binding could be stronger."),
         dt("2003-02-25 08:45:00.000")},
        {i32(3), vc("1850000007"), i32(1003), u8(2), null(), dt("2002-12-01 00:00:00.000")},  // customer since left
        {i32(5), vc("9785000000045"), i32(1002), u8(5), nv("Прекрасная книга!"), dt("2003-05-10 10:00:00.000")},
        {i32(6), vc("9784000000052"), null(), u8(3), nv("風の描写が美しい。"), dt("2003-07-07 07:07:07.007")},
    };

    rows["Shops"] = {
        {i32(1), nch("LX01"), nv("Lisboa, Chiado"), i32(1), dbl(38.7105), dbl(-9.1421), num("182.5")},
        {i32(2), nch("CK01"), nv("Cork, Oliver Plunkett St"), i32(3), dbl(51.8985), dbl(-8.4756), num("96.0")},
        {i32(3), nch("CP01"), nv("København, Strøget"), null(), dbl(55.6786), dbl(12.5781), null()},
    };

    rows["Staff"] = {
        {i32(1), i32(1), nv("Rui Almeida"), dt("1998-01-05 09:00:00.000"), money("2150.0000")},
        {i32(2), i32(1), nv("Beatriz Lopes"), dt("2001-09-10 09:00:00.000"), money("1480.5000")},
        {i32(3), i32(2), nv("Niamh Byrne"), dt("1999-04-01 09:00:00.000"), money("2300.0000")},
        {i32(5), i32(3), nv("Mette Jørgensen"), dt("2003-08-15 09:00:00.000"), null()},
    };

    rows["Stock"] = {
        {vc("9789720000011"), i32(1), i32(4), i32(2), vc("A-01"), sdt("2003-06-01 18:00:00")},
        {vc("9789720000028"), i32(1), i32(1), i32(3), vc("A-02"), sdt("2003-06-01 18:00:00")},
        {vc("9789720000028"), i32(2), i32(12), i32(3), vc("B-10"), null()},
        {vc("8700000003"), i32(3), i32(6), i32(2), null(), null()},
        {vc("9785000000045"), i32(1), i32(0), i32(1), vc("R-07"), sdt("2003-05-31 09:30:00")},
        {vc("1850000007"), i32(2), i32(9), i32(2), vc("L-01"), sdt("2003-06-02 17:59:00")},
    };

    rows["StockMovements"] = {
        {i64(1), vc("9789720000028"), i32(1), i32(10), dt("2003-01-02 08:00:00.000"), vc("delivery")},
        {i64(2), vc("9789720000028"), i32(1), i32(-1), dt("2003-01-10 09:15:00.000"), vc("sale")},
        {i64(3), vc("8700000003"), i32(3), i32(-2), dt("2003-01-10 09:15:00.000"), vc("sale")},
        {i64(40), vc("9785000000045"), i32(1), i32(-1), dt("2003-05-05 23:59:59.997"), vc("sale")},
        {i64(41), vc("9785000000045"), i32(1), i32(1), dt("2003-05-06 10:00:00.000"), vc("return")},
        {i64(9000000000), vc("1850000007"), i32(2), i32(0), dt("2003-06-02 17:59:00.000"), vc("count")},
    };

    rows["Gift Cards [Legacy]"] = {
        {ch("6035110000000001"), money("25.0000"), dt("2000-12-01 10:00:00.000"),
         bytes(SqlType::Binary, {0x9F, 0x86, 0xD0, 0x81, 0x88, 0x4C, 0x7D, 0x65}),
         bytes(SqlType::Timestamp, {0, 0, 0, 0, 0, 0, 0x07, 0xD1})},
        {ch("6035110000000002"), money("0.0000"), dt("2000-12-24 16:30:00.000"),
         bytes(SqlType::Binary, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}),
         bytes(SqlType::Timestamp, {0, 0, 0, 0, 0, 0, 0x07, 0xD5})},
        {ch("6035110000000017"), money("12.3400"), dt("2001-06-01 12:00:00.000"), null(),
         bytes(SqlType::Timestamp, {0, 0, 0, 0, 0, 0, 0x08, 0x01})},
    };

    rows["Settings"] = {
        {vc("ShopName"), variant(nv("Livraria Maré & Books"), 0, 0, 40), dt("2001-01-01 00:00:00.000")},
        {vc("LoyaltyPointsPerEuro"), variant(i32(2)), dt("2001-01-01 00:00:00.000")},
        {vc("VatRate"), variant(dec("0.19"), 5, 2), dt("2003-06-01 00:00:00.000")},
        {vc("FreeShippingOver"), variant(money("40.0000")), dt("2002-03-15 11:00:00.000")},
        {vc("OnlineShopOpen"), variant(bit(true)), dt("2002-03-15 11:00:00.000")},
        {vc("SeasonStarts"), variant(dt("2003-09-01 00:00:00.000")), dt("2003-08-20 15:30:00.000")},
        {vc("ReceiptFooter"), variant(vc("Obrigado!  Thank you!  Tak!"), 0, 0, 60), dt("2001-01-01 00:00:00.000")},
        {vc("Pi"), variant(dbl(3.141592653589793)), dt("2001-01-01 00:00:00.000")},
        {vc("Retired"), null(), dt("2003-01-01 00:00:00.000")},
    };

    rows["AuditLog"] = {
        {i64(1), dt("2003-05-05 23:59:59.997"), nv("BOOKSHOP\\manager"), nv("Reorder 9785000000045 for shop 1"),
         bytes(SqlType::VarBinary, {0x00, 0x00, 0x00, 0x00})},
        {i64(2), dt("2003-06-01 18:00:00.000"), nv("clerk"), nv("Gift card 6035110000000002 changed"), null()},
        {i64(3), dt("2003-06-02 08:00:00.000"), nv("sa"), nv("Nightly check: nothing to report"),
         bytes(SqlType::VarBinary, {})},
    };

    return rows;
}

}  // namespace sample
