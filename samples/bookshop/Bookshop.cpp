// The sample database: a small bookshop with its catalogue of books and authors, customers and
// their orders, stock in two shops, and the staff who run them. It uses every kind of object
// and every feature the scripter knows, the way a real shop database would.
#include "samples/bookshop/SampleBuilder.h"

namespace sample {

using namespace sqldmo;
using namespace sqldmo::model;

namespace {

IndexColumn asc(const char* name) { return {name, false}; }
IndexColumn desc(const char* name) { return {name, true}; }

Index index(const char* name, std::vector<IndexColumn> columns, bool clustered, bool unique, int fillFactor) {
    Index i;
    i.name = name;
    i.columns = std::move(columns);
    i.clustered = clustered;
    i.unique = unique;
    i.fillFactor = fillFactor;
    return i;
}

void describeTypesRulesAndDefaults(Catalog& c) {
    c.rule("dbo", "ISBNRule", R"(CREATE RULE dbo.ISBNRule
AS
@isbn NOT LIKE '%[^0-9X]%' AND LEN(@isbn) IN (10, 13)
)").describe("An ISBN: 10 or 13 characters, digits and the check letter X.");
    c.rule("dbo", "NonNegative", "CREATE RULE dbo.NonNegative AS @value >= 0\n");
    c.rule("dbo", "StarRating", "CREATE RULE dbo.StarRating AS @rating BETWEEN 1 AND 5\n")
        .describe("Reviews give one to five stars.");

    c.defaultObject("dbo", "ZeroPrice", "CREATE DEFAULT dbo.ZeroPrice AS 0\n");
    c.defaultObject("dbo", "Today", "CREATE DEFAULT dbo.Today AS GETDATE()\n")
        .describe("The moment a row is written.");

    c.type("dbo", "ISBN", "varchar", 13, 0, 0, false, "", "dbo.ISBNRule");
    c.type("dbo", "Price", "money", 8, 19, 4, true, "dbo.ZeroPrice", "dbo.NonNegative");
    c.type("dbo", "Phone", "varchar", 20, 0, 0, true);
}

void describeCatalogueTables(Catalog& c) {
    c.table("dbo", "Authors",
            {Col("AuthorId", "int").identity(),
             Col("FirstName", "nvarchar", 50).notNull(),
             Col("LastName", "nvarchar", 50).notNull(),
             Col("Born", "smalldatetime").describe("Date of birth, where the author has made it public."),
             Col("Country", "char", 2).describe("ISO 3166 country code."),
             Col("Biography", "ntext"),
             Col("RowGuid", "uniqueidentifier").notNull().rowGuid().byDefault("DF_Authors_RowGuid", "(newid())")})
        .describe("People who wrote the books we sell.")
        .primaryKey("PK_Authors", {asc("AuthorId")}, true, 0, "Authors are numbered as they are entered.")
        .index(index("IX_Authors_Name", {asc("LastName"), asc("FirstName")}, false, false, 80),
               "Finding authors by name.")
        .grant("SELECT", "public");

    c.table("dbo", "Publishers",
            {Col("PublisherId", "int").identity(),
             Col("Name", "nvarchar", 100).notNull(),
             Col("City", "nvarchar", 50),
             Col("Phone", "varchar", 20).ofType("Phone"),
             Col("Website", "varchar", 200)})
        .describe("Publishing houses.")
        .primaryKey("PK_Publishers", {asc("PublisherId")})
        .unique("UQ_Publishers_Name", {asc("Name")}, false, "Two publishers never share a name.")
        .grant("SELECT", "public");

    c.table("dbo", "Books",
            {Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("Title", "nvarchar", 200).notNull().collate("Latin1_General_CI_AI")
                 .describe("Compared without accents, so that \"Mares\" finds \"Marés\"."),
             Col("PublisherId", "int").notNull(),
             Col("Published", "datetime"),
             Col("Pages", "smallint"),
             Col("ListPrice", "money").ofType("Price").precision(19, 4).boundDefault("dbo.ZeroPrice").boundRule("dbo.NonNegative"),
             Col("Edition", "tinyint").notNull().byDefault("DF_Books_Edition", "(1)"),
             Col("WeightKg", "real"),
             Col("Cover", "image").describe("Cover image, small JPEG or PNG."),
             Col("Summary", "text")})
        .describe("Every title in the catalogue, one row per edition.")
        .property("Owner", Value::ofText(SqlType::VarChar, "Catalogue team"))
        .primaryKey("PK_Books", {asc("ISBN")}, false, 0, "The ISBN identifies an edition.")
        .foreignKey("FK_Books_Publishers", {"PublisherId"}, "dbo.Publishers", {"PublisherId"})
        .check("CK_Books_Pages", "([Pages] > 0)", "Pages", false, false, "A book has at least one page.")
        .index(index("IX_Books_Published", {desc("Published")}, true, false, 90), "Newest books first.")
        .index(index("IX_Books_Publisher", {asc("PublisherId")}, false, false, 0))
        .fileGroups("PRIMARY", "PRIMARY")
        .fullText("BookshopCatalog", "PK_Books", {{"Title", 1033}, {"Summary", 0}})
        .trigger("trBooks_PriceHistory", R"(CREATE TRIGGER trBooks_PriceHistory ON dbo.Books
AFTER UPDATE
AS
-- Keep the old price of every book whose price changed.
IF UPDATE(ListPrice)
BEGIN
    SET NOCOUNT ON
    INSERT INTO dbo.PriceHistory (ISBN, ValidFrom, Price, ChangedBy)
    SELECT d.ISBN, GETDATE(), d.ListPrice, SUSER_SNAME()
    FROM deleted AS d
    JOIN inserted AS i ON i.ISBN = d.ISBN
    WHERE i.ListPrice <> d.ListPrice
END
)", false, false, true, false, {"dbo.PriceHistory"}, true, true, "Records price changes in PriceHistory.")
        .grant("SELECT", "public")
        .grant("INSERT", "ShopStaff")
        .grant("UPDATE", "ShopStaff")
        .deny("DELETE", "ShopStaff");

    c.table("dbo", "BookAuthors",
            {Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("AuthorId", "int").notNull(),
             Col("AuthorOrder", "tinyint").notNull().byDefault("DF_BookAuthors_AuthorOrder", "(1)")})
        .describe("Who wrote which book, in the order the cover names them.")
        .primaryKey("PK_BookAuthors", {asc("ISBN"), asc("AuthorId")})
        .foreignKey("FK_BookAuthors_Books", {"ISBN"}, "dbo.Books", {"ISBN"}, true, false, false, false,
                    "Removing a book removes its author list.")
        .foreignKey("FK_BookAuthors_Authors", {"AuthorId"}, "dbo.Authors", {"AuthorId"}, false, false, true)
        .grant("SELECT", "public");

    c.table("dbo", "PriceHistory",
            {Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("ValidFrom", "datetime").notNull(),
             Col("Price", "money").ofType("Price").precision(19, 4),
             Col("ChangedBy", "sysname").notNull().byDefault("DF_PriceHistory_ChangedBy", "(suser_sname())")})
        .describe("Earlier prices of each book; the current price is in Books.")
        .primaryKey("PK_PriceHistory", {asc("ISBN"), desc("ValidFrom")}, true, 95)
        .foreignKey("FK_PriceHistory_Books", {"ISBN"}, "dbo.Books", {"ISBN"}, true);
}

void describeCustomerTables(Catalog& c) {
    c.table("dbo", "Customers",
            {Col("CustomerId", "int").identity(1000, 1),
             Col("Name", "nvarchar", 100).notNull(),
             Col("Email", "varchar", 254),
             Col("Phone", "varchar", 20).ofType("Phone"),
             Col("JoinedOn", "datetime").notNull().byDefault("DF_Customers_JoinedOn", "(getdate())"),
             Col("LoyaltyPoints", "int").notNull().byDefault("DF_Customers_LoyaltyPoints", "(0)"),
             Col("IsActive", "bit").notNull().byDefault("DF_Customers_IsActive", "(1)"),
             Col("CreditLimit", "smallmoney").describe("Only for account customers; NULL for everyone else."),
             Col("Notes", "nvarchar", 400),
             Col("DisplayName", "nvarchar", 357).computed("([Name] + N' <' + isnull([Email],'') + N'>')")})
        .describe("People who buy from us, in the shops or online.")
        .primaryKey("PK_Customers", {asc("CustomerId")})
        .unique("UQ_Customers_Email", {asc("Email")})
        .check("CK_Customers_LoyaltyPoints", "([LoyaltyPoints] >= 0)", "LoyaltyPoints")
        // Customers from the old till system have addresses that fail this: checked for new rows only.
        .check("CK_Customers_Email", "([Email] like '%_@_%')", "Email", false, true,
               "Disabled: imported customers have addresses that do not pass.")
        .grant("SELECT", "ShopStaff")
        .grant("UPDATE", "clerk", true, "Email")
        .grant("UPDATE", "clerk", true, "Phone")
        .deny("SELECT", "reporter", "CreditLimit");

    c.table("sales", "Orders",
            {Col("OrderId", "int").identity(1, 1, true),
             Col("CustomerId", "int").notNull(),
             Col("OrderedAt", "datetime").notNull().byDefault("DF_Orders_OrderedAt", "(getdate())"),
             Col("ShippedAt", "datetime"),
             Col("Status", "char", 1).notNull().byDefault("DF_Orders_Status", "('N')")
                 .describe("N new, P paid, S shipped, C cancelled."),
             Col("ShippingCost", "money").precision(19, 4),
             Col("DiscountRate", "decimal").precision(5, 4),
             Col("OrderRef", "uniqueidentifier").notNull().byDefault("DF_Orders_OrderRef", "(newid())")})
        .describe("Orders placed by customers.")
        .primaryKey("PK_Orders", {asc("OrderId")})
        .foreignKey("FK_Orders_Customers", {"CustomerId"}, "dbo.Customers", {"CustomerId"})
        .check("CK_Orders_Status", "([Status] in ('N', 'P', 'S', 'C'))", "Status")
        .check("CK_Orders_Shipped", "([ShippedAt] is null or [ShippedAt] >= [OrderedAt])", "", false, false,
               "An order cannot ship before it was placed.")
        .index([] {
            auto i = index("IX_Orders_Customer", {asc("CustomerId"), desc("OrderedAt")}, false, false, 70);
            i.padIndex = true;
            return i;
        }())
        .grant("SELECT", "ShopStaff")
        .grant("INSERT", "ShopStaff");

    c.table("sales", "OrderLines",
            {Col("OrderId", "int").notNull(),
             Col("LineNo", "smallint").notNull(),
             Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("Quantity", "int").notNull(),
             Col("UnitPrice", "money").ofType("Price").precision(19, 4).notNull(),
             Col("Discount", "decimal").precision(5, 2).notNull().byDefault("DF_OrderLines_Discount", "(0)"),
             Col("LineTotal", "money").precision(19, 4)
                 .computed("([dbo].[fnLineTotal]([Quantity], [UnitPrice], [Discount]))")})
        .describe("The books of an order.")
        .primaryKey("PK_OrderLines", {asc("OrderId"), asc("LineNo")})
        .foreignKey("FK_OrderLines_Orders", {"OrderId"}, "sales.Orders", {"OrderId"}, true, true, false, false,
                    "Lines go with their order.")
        .foreignKey("FK_OrderLines_Books", {"ISBN"}, "dbo.Books", {"ISBN"})
        .check("CK_OrderLines_Quantity", "([Quantity] > 0)", "Quantity")
        .index([] {
            auto i = index("IX_OrderLines_ISBN", {asc("ISBN")}, false, false, 0);
            i.statisticsNoRecompute = true;
            return i;
        }())
        .uses({"dbo.fnLineTotal"})
        .trigger("trOrderLines_Stock", R"(CREATE TRIGGER trOrderLines_Stock ON sales.OrderLines
AFTER INSERT, DELETE
AS
SET NOCOUNT ON
-- Books sold leave the stock; lines removed put them back.
UPDATE s SET OnHand = s.OnHand - x.Quantity
FROM dbo.Stock AS s
JOIN (SELECT ISBN, SUM(Quantity) AS Quantity FROM inserted GROUP BY ISBN
      UNION ALL
      SELECT ISBN, -SUM(Quantity) FROM deleted GROUP BY ISBN) AS x ON x.ISBN = s.ISBN

INSERT INTO dbo.StockMovements (ISBN, Quantity, Reason)
SELECT ISBN, -Quantity, 'sale' FROM inserted
UNION ALL
SELECT ISBN, Quantity, 'return' FROM deleted
)", false, true, false, true, {"dbo.Stock", "dbo.StockMovements"})
        .grant("SELECT", "ShopStaff")
        .grant("INSERT", "ShopStaff");

    c.table("dbo", "Reviews",
            {Col("ReviewId", "int").identity(),
             Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("CustomerId", "int"),
             Col("Rating", "tinyint").notNull().boundRule("dbo.StarRating"),
             Col("Body", "nvarchar", 2000),
             Col("ReviewedAt", "datetime").notNull().byDefault("DF_Reviews_ReviewedAt", "(getdate())")})
        .describe("What customers thought of the books.")
        .primaryKey("PK_Reviews", {asc("ReviewId")})
        .foreignKey("FK_Reviews_Books", {"ISBN"}, "dbo.Books", {"ISBN"}, true)
        .foreignKey("FK_Reviews_Customers", {"CustomerId"}, "dbo.Customers", {"CustomerId"}, false, false, false, true,
                    "Not enforced: reviews stay when a customer leaves.")
        .grant("SELECT", "public");
}

void describeShopTables(Catalog& c) {
    // Shops have a manager from the staff, and every member of staff works in a shop: the
    // two tables refer to each other.
    c.table("dbo", "Shops",
            {Col("ShopId", "int").notNull(),
             Col("Code", "nchar", 4).notNull(),
             Col("Name", "nvarchar", 50).notNull(),
             Col("ManagerId", "int"),
             Col("Latitude", "float"),
             Col("Longitude", "float"),
             Col("FloorArea", "numeric").precision(8, 1).describe("Square metres of shop floor.")})
        .describe("Our shops.")
        .primaryKey("PK_Shops", {asc("ShopId")})
        .foreignKey("FK_Shops_Manager", {"ManagerId"}, "dbo.Staff", {"StaffId"})
        .index([] {
            auto i = index("IX_Shops_Code", {asc("Code")}, false, true, 0);
            i.ignoreDupKey = true;
            return i;
        }(), "Shop codes are unique; a repeated code on import is skipped.");

    c.table("dbo", "Staff",
            {Col("StaffId", "int").identity(),
             Col("ShopId", "int").notNull(),
             Col("Name", "nvarchar", 100).notNull(),
             Col("HiredOn", "datetime").notNull(),
             Col("Salary", "money").precision(19, 4)})
        .describe("People who work in the shops.")
        .primaryKey("PK_Staff", {asc("StaffId")})
        .foreignKey("FK_Staff_Shops", {"ShopId"}, "dbo.Shops", {"ShopId"})
        .check("CK_Staff_Salary", "([Salary] > 0)", "Salary", true)
        .deny("SELECT", "public")
        .grant("SELECT", "Accounts");

    c.table("dbo", "Stock",
            {Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("ShopId", "int").notNull(),
             Col("OnHand", "int").notNull().byDefault("DF_Stock_OnHand", "(0)"),
             Col("ReorderLevel", "int").notNull().byDefault("DF_Stock_ReorderLevel", "(2)"),
             Col("Shelf", "varchar", 10),
             Col("LastCounted", "smalldatetime")})
        .describe("How many copies of each book each shop has.")
        .primaryKey("PK_Stock", {asc("ISBN"), asc("ShopId")})
        .foreignKey("FK_Stock_Books", {"ISBN"}, "dbo.Books", {"ISBN"})
        .foreignKey("FK_Stock_Shops", {"ShopId"}, "dbo.Shops", {"ShopId"})
        .trigger("trStock_Reorder", R"(CREATE TRIGGER trStock_Reorder ON dbo.Stock
AFTER UPDATE
AS
SET NOCOUNT ON
IF UPDATE(OnHand)
    INSERT INTO dbo.AuditLog (What, Data)
    SELECT N'Reorder ' + i.ISBN + N' for shop ' + CAST(i.ShopId AS nvarchar(10)), CAST(i.OnHand AS varbinary(4))
    FROM inserted AS i
    WHERE i.OnHand < i.ReorderLevel
)", false, false, true, false, {"dbo.AuditLog"})
        .grant("SELECT", "warehouse")
        .grant("UPDATE", "warehouse")
        .grant("REFERENCES", "reporter");

    c.table("dbo", "StockMovements",
            {Col("MovementId", "bigint").identity(),
             Col("ISBN", "varchar", 13).ofType("ISBN").notNull(),
             Col("ShopId", "int").notNull().byDefault("DF_StockMovements_ShopId", "(1)"),
             Col("Quantity", "int").notNull(),
             Col("MovedAt", "datetime").notNull().boundDefault("dbo.Today"),
             Col("Reason", "varchar", 20).notNull()})
        .describe("Every copy in or out: deliveries, sales, returns, counts.")
        .primaryKey("PK_StockMovements", {asc("MovementId")})
        .foreignKey("FK_StockMovements_Stock", {"ISBN", "ShopId"}, "dbo.Stock", {"ISBN", "ShopId"});

    c.table("dbo", "Gift Cards [Legacy]",
            {Col("CardNumber", "char", 16).notNull(),
             Col("Balance", "money").precision(19, 4).notNull(),
             Col("IssuedOn", "datetime").notNull(),
             Col("PinHash", "binary", 8),
             Col("RowVersion", "timestamp").notNull()})
        .describe("Gift cards of the old till system, kept until the last one is spent.")
        .primaryKey("PK_GiftCards", {asc("CardNumber")})
        .check("CK_GiftCards_Balance", "([Balance] >= 0)", "Balance")
        .trigger("trGiftCards_Audit", R"(CREATE TRIGGER trGiftCards_Audit ON dbo.[Gift Cards [Legacy]]]
AFTER INSERT, UPDATE, DELETE
AS
SET NOCOUNT ON
INSERT INTO dbo.AuditLog (What)
SELECT "Gift card " + CardNumber + " changed" FROM inserted
UNION ALL
SELECT "Gift card " + CardNumber + " removed" FROM deleted
WHERE CardNumber NOT IN (SELECT CardNumber FROM inserted)
)", false, true, true, true, {"dbo.AuditLog"}, false, true, "Written with QUOTED_IDENTIFIER OFF, as the old system was.")
        .deny("SELECT", "public")
        .grant("SELECT", "Accounts")
        .grant("UPDATE", "Accounts");

    c.table("dbo", "Settings",
            {Col("Name", "varchar", 50).notNull(),
             Col("Value", "sql_variant"),
             Col("ChangedAt", "datetime").notNull().byDefault("DF_Settings_ChangedAt", "(getdate())")})
        .describe("Settings of the shop software, each value of its own type.")
        .primaryKey("PK_Settings", {asc("Name")});

    c.table("dbo", "AuditLog",
            {Col("LogId", "bigint").identity(),
             Col("At", "datetime").notNull().byDefault("DF_AuditLog_At", "(getdate())"),
             Col("Who", "sysname").notNull().byDefault("DF_AuditLog_Who", "(suser_sname())"),
             Col("What", "nvarchar", 400).notNull(),
             Col("Data", "varbinary", 256)})
        .describe("What the triggers noticed.")
        .primaryKey("PK_AuditLog", {asc("LogId")}, true, 100);
}

void describeModules(Catalog& c) {
    c.function("dbo", "fnLineTotal", FunctionKind::Scalar, R"(CREATE FUNCTION dbo.fnLineTotal
    (@Quantity int, @UnitPrice money, @Discount decimal(5, 2))
RETURNS money
WITH SCHEMABINDING
AS
BEGIN
    RETURN @Quantity * @UnitPrice * (100 - @Discount) / 100
END
)").describe("Price of an order line after its discount.").grant("EXECUTE", "ShopStaff");

    c.function("dbo", "fnBooksByAuthor", FunctionKind::InlineTable, R"(CREATE FUNCTION dbo.fnBooksByAuthor (@AuthorId int)
RETURNS TABLE
AS
RETURN
    SELECT b.ISBN, b.Title, b.Published, ba.AuthorOrder
    FROM dbo.Books AS b
    JOIN dbo.BookAuthors AS ba ON ba.ISBN = b.ISBN
    WHERE ba.AuthorId = @AuthorId
)").uses({"dbo.Books", "dbo.BookAuthors"}).grant("SELECT", "public");

    c.function("dbo", "fnCustomerOrders", FunctionKind::Table, R"(CREATE FUNCTION dbo.fnCustomerOrders (@CustomerId int)
RETURNS @Orders TABLE (OrderId int PRIMARY KEY, OrderedAt datetime, Lines int, Total money)
AS
BEGIN
    INSERT INTO @Orders
    SELECT o.OrderId, o.OrderedAt, COUNT(*), SUM(l.LineTotal)
    FROM sales.Orders AS o
    JOIN sales.OrderLines AS l ON l.OrderId = o.OrderId
    WHERE o.CustomerId = @CustomerId
    GROUP BY o.OrderId, o.OrderedAt
    RETURN
END
)").uses({"sales.Orders", "sales.OrderLines"}).describe("One row per order of a customer, with its total.");

    c.function("dbo", "fnCurrentPrice", FunctionKind::Scalar, R"(CREATE FUNCTION dbo.fnCurrentPrice (@ISBN ISBN)
RETURNS money
AS
BEGIN
    RETURN (SELECT ListPrice FROM dbo.Books WHERE ISBN = @ISBN)
END
)").uses({"dbo.Books", "dbo.ISBN"});

    c.view("dbo", "vwBookCatalogue", R"(CREATE VIEW dbo.vwBookCatalogue
AS
SELECT b.ISBN, b.Title, p.Name AS Publisher, b.Published, b.ListPrice,
       a.FirstName + N' ' + a.LastName AS FirstAuthor
FROM dbo.Books AS b
JOIN dbo.Publishers AS p ON p.PublisherId = b.PublisherId
LEFT JOIN dbo.BookAuthors AS ba ON ba.ISBN = b.ISBN AND ba.AuthorOrder = 1
LEFT JOIN dbo.Authors AS a ON a.AuthorId = ba.AuthorId
)").uses({"dbo.Books", "dbo.Publishers", "dbo.BookAuthors", "dbo.Authors"})
        .describe("The catalogue as the web shop shows it.")
        .grant("SELECT", "public");

    c.view("dbo", "vwLowStock", R"(CREATE VIEW dbo.vwLowStock
AS
SELECT s.ShopId, s.ISBN, b.Title, s.OnHand, s.ReorderLevel
FROM dbo.Stock AS s
JOIN dbo.Books AS b ON b.ISBN = s.ISBN
WHERE s.OnHand < s.ReorderLevel
)").uses({"dbo.Stock", "dbo.Books"}).grant("SELECT", "warehouse", true);

    c.view("sales", "vwOrderTotals", R"(CREATE VIEW sales.vwOrderTotals
AS
SELECT o.OrderId, o.CustomerId, o.OrderedAt, COUNT(*) AS Lines, SUM(l.LineTotal) AS Total
FROM sales.Orders AS o
JOIN sales.OrderLines AS l ON l.OrderId = o.OrderId
GROUP BY o.OrderId, o.CustomerId, o.OrderedAt
)").uses({"sales.Orders", "sales.OrderLines"}).grant("SELECT", "reporter");

    c.view("dbo", "vwCustomerDirectory", R"(CREATE VIEW dbo.vwCustomerDirectory
AS
SELECT CustomerId, Name, Email, Phone
FROM dbo.Customers
WHERE IsActive = 1
)").uses({"dbo.Customers"})
        .insteadOfTrigger("trCustomerDirectory_Insert", R"(CREATE TRIGGER trCustomerDirectory_Insert ON dbo.vwCustomerDirectory
INSTEAD OF INSERT
AS
SET NOCOUNT ON
INSERT INTO dbo.Customers (Name, Email, Phone)
SELECT Name, Email, Phone FROM inserted
)", true, false, false, {"dbo.Customers"})
        .grant("SELECT", "ShopStaff")
        .grant("INSERT", "ShopStaff");

    c.procedure("sales", "usp_PlaceOrder", R"(CREATE PROCEDURE sales.usp_PlaceOrder
    @CustomerId int,
    @ISBN ISBN,
    @Quantity int = 1,
    @OrderId int OUTPUT
AS
SET NOCOUNT ON
BEGIN TRANSACTION
    INSERT INTO sales.Orders (CustomerId) VALUES (@CustomerId)
    SET @OrderId = SCOPE_IDENTITY()
    INSERT INTO sales.OrderLines (OrderId, [LineNo], ISBN, Quantity, UnitPrice)
    VALUES (@OrderId, 1, @ISBN, @Quantity, dbo.fnCurrentPrice(@ISBN))
    IF @@ERROR <> 0
    BEGIN
        ROLLBACK TRANSACTION
        RETURN 1
    END
COMMIT TRANSACTION
RETURN 0
)").uses({"sales.Orders", "sales.OrderLines", "dbo.fnCurrentPrice", "dbo.ISBN"})
        .describe("Places an order of one book.")
        .grant("EXECUTE", "ShopStaff");

    c.procedure("dbo", "usp_ReorderReport", R"(CREATE PROCEDURE dbo.usp_ReorderReport
    @ShopId int = NULL
AS
SET NOCOUNT ON
SELECT ShopId, ISBN, Title, ReorderLevel - OnHand AS Missing
FROM dbo.vwLowStock
WHERE @ShopId IS NULL OR ShopId = @ShopId
ORDER BY ShopId, Title
)").uses({"dbo.vwLowStock"}).grant("EXECUTE", "warehouse").grant("EXECUTE", "reporter");

    c.procedure("dbo", "usp_CustomerHistory", R"(CREATE PROCEDURE dbo.usp_CustomerHistory
    @CustomerId int
AS
SELECT * FROM dbo.fnCustomerOrders(@CustomerId) ORDER BY OrderedAt DESC
)").uses({"dbo.fnCustomerOrders"}).grant("EXECUTE", "ShopStaff");

    // Written for the old till system, which compares with = NULL.
    c.procedure("dbo", "usp_CustomersWithoutEmail", R"(CREATE PROCEDURE dbo.usp_CustomersWithoutEmail
AS
SELECT CustomerId, Name FROM dbo.Customers WHERE Email = NULL
)").settings(true, false).uses({"dbo.Customers"}).describe("Kept with ANSI_NULLS OFF for the old till.");

    c.procedure("dbo", "usp_RotateGiftCardPins", "").encrypted()
        .describe("Encrypted: its text is not kept in the catalogue.")
        .grant("EXECUTE", "Accounts");
}

}  // namespace

Server bookshopServer() {
    Catalog c("Bookshop");
    auto& db = c.database();
    db.owner = "BOOKSHOP\\manager";
    db.collation = "Latin1_General_CI_AS";
    db.compatibilityLevel = 80;
    db.properties = {description("The sample database of Tavilor: a small bookshop."),
                     {"Version", Value::ofText(SqlType::VarChar, "2.1")}};

    describeTypesRulesAndDefaults(c);
    describeCatalogueTables(c);
    describeCustomerTables(c);
    describeShopTables(c);
    describeModules(c);

    db.users = {{"dbo", "BOOKSHOP\\manager", true},
                {"guest", "", true},
                {"INFORMATION_SCHEMA", "", true},
                {"sales", "sales", false},
                {"clerk", "clerk", false},
                {"reporter", "reporter", false},
                {"warehouse", "BOOKSHOP\\Warehouse", false}};
    db.roles = {{"public", false, true, {}},
                {"db_owner", false, true, {"dbo"}},
                {"db_datareader", false, true, {"reporter"}},
                {"ShopStaff", false, false, {"clerk", "warehouse", "sales"}},
                {"Accounts", false, false, {"reporter"}},
                {"Till", true, false, {}}};

    Server s;
    s.name = "BOOKSHOP";
    s.versionMajor = 8;
    s.versionMinor = 0;
    s.versionString = "8.00.2039";
    s.login = "BOOKSHOP\\manager";
    s.logins = {{"BOOKSHOP\\manager", "Bookshop", "us_english", true, false, false},
                {"BOOKSHOP\\Warehouse", "Bookshop", "us_english", true, true, false},
                {"sa", "master", "us_english", false, false, false},
                {"sales", "Bookshop", "us_english", false, false, true},
                {"clerk", "Bookshop", "us_english", false, false, false},
                {"reporter", "Bookshop", "British", false, false, false}};
    // In the order of sysdatabases: the system databases first.
    for (const char* name : {"master", "tempdb", "model", "msdb"}) {
        auto system = std::make_shared<Database>();
        system->name = name;
        system->owner = "sa";
        system->collation = "Latin1_General_CI_AS";
        system->systemObject = true;
        s.databases.push_back(system);
    }
    s.databases.push_back(c.finish());
    return s;
}

}  // namespace sample
