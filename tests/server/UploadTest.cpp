// Operations 0 and 4: shipments and checkpoint scans uploaded as procedure
// calls, the requests built here the way the client lays them out.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "server/DemoData.h"
#include "server/SqliteStatement.h"
#include "server/TransactionHandler.h"
#include "tests/server/SyncCountingVfs.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::server {
namespace {

constexpr std::int64_t kNow = 1700000000;
constexpr std::string_view kFixedText =
    "*A\x07"
    "B\x07"
    "C\x07"
    "D\x07";

// A text argument: between quotes, its quotes doubled.
std::string Quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

// The shipment call's arguments as written, numbered from 1.
class ShipmentCall {
public:
    explicit ShipmentCall(bool direct) : direct_(direct), arguments_(direct ? 77 : 72) {
        const std::vector<int> numbers = {1, 2, 3, 5, 26, 27, 30, 31, 43, 58};
        const std::vector<int> reals = {11, 12, 24, 45, 46, 48, 49};
        for (std::size_t i = 0; i < arguments_.size(); ++i) arguments_[i] = "''";
        for (int n : numbers) Set(n, "0");
        for (int n : reals) Set(n, "0.00");
        if (direct) {
            for (int n : {67, 68, 69, 70}) Set(n, "0");
            Set(76, "0.00");
            Set(77, "0.0000");
        } else {
            Set(71, "0.00");
            Set(72, "0.0000");
        }
        Set(1, direct ? "1002" : "1001");
        Set(2, "1");
        Set(4, "'2024.05.06'");
        Set(6, "'" + std::string(kFixedText) + "'");
        Set(7, "'GNTK'");
        Set(8, Quoted(Utf8ToGbk("深圳")));
        Set(9, Quoted(Utf8ToGbk("北京")));
        Set(10, "'EA100000123CN'");
        Set(11, "2.500");
        Set(14, Quoted("O'Neil"));
        Set(32, "'CNY'");
        Set(43, "2");
    }

    void Set(int number, std::string written) { arguments_[static_cast<std::size_t>(number - 1)] = std::move(written); }
    void Goods(std::string_view sql) { Set(direct_ ? 66 : 65, Quoted(sql)); }
    void Pieces(std::string_view sql) { Set(direct_ ? 65 : 66, Quoted(sql)); }
    void Drop(int number) { arguments_.erase(arguments_.begin() + (number - 1)); }

    std::string Data(std::string_view procedure = {}) const {
        std::string data = "{?=CALL varno.dbo.";
        data += procedure.empty() ? (direct_ ? "cp_client_rec_add_ec_exx" : "cp_rec_pre_input_add_ec_exx") : procedure;
        data += '(';
        for (std::size_t i = 0; i < arguments_.size(); ++i) data += (i ? "," : "") + arguments_[i];
        return data + ")}";
    }

private:
    bool direct_;
    std::vector<std::string> arguments_;
};

// Child SQL as the client writes it (before quoting into the call): one
// select per row, text values with quotes already turned into backquotes.
std::string GoodsSql(bool direct, const std::vector<std::string>& names) {
    std::string sql;
    for (std::size_t i = 0; i < names.size(); ++i) {
        sql += i ? " union all select "
                 : std::string("INSERT INTO varno.dbo.") +
                       (direct ? "client_rec_goods(wpos,irid" : "rec_pre_input_goods(wpos,iid") +
                       ",cgoods,cunit,iquantity,fprice,cgoodsa,cgcodea,cgcodeb,cgcodec,"
                       "fgcustom,fgcrate) select ";
        sql += std::to_string(i) + ",#1234567#,'" + names[i] + "','',2,1.50,'alias','A','B','C',0.30,0.0500 ";
    }
    return sql;
}

std::string PiecesSql(bool direct, const std::vector<int>& grams) {
    std::string sql;
    for (std::size_t i = 0; i < grams.size(); ++i) {
        std::string g = std::to_string(grams[i]);
        if (direct) {
            sql += i ? " union all select "
                     : "INSERT INTO varno.dbo.client_rec_weight_detail(irid,ilong,iwidth,iheight,iweight,npercent,cno,"
                       "famount,fcost,ibag,wpos,cgoods,iquantity,iprice,crno,cnum,cgoodsa,cgcodea,cgcodeb,cgcodec,"
                       "fgcustom,fgcrate) select ";
            sql += "#1234567#,30,20,10," + g + ",100,'',0,0,0,0,'piece',1,100,'','','','','','',0.00,0.0000";
        } else {
            sql += i ? " union all select "
                     : "INSERT INTO varno.dbo.rec_pre_input_item(iid,ilong,iwidth,iheight,iweight,npercent,cno,"
                       "famount,fcost,ibag,wpos,cgoods,iquantity,iprice,crno,cgoodsa,cgcodea,cgcodeb,cgcodec,"
                       "fgcustom,fgcrate) select ";
            sql += "#1234567#,30,20,10," + g + ",100,'',0,0,0," + std::to_string(i) +
                   ",'piece',1,100,'','','','','',0.00,0.0000";
        }
    }
    return sql;
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.emplace(dir.File("server.db"));
        WriteDemoData(*db, kNow);
        handler.emplace(*db, std::vector<std::string>{}, [] { return kNow; });
    }

    std::string Ask(int operation, std::string_view data, std::string_view account = "demo", int version = 1,
                    std::int64_t id = 77) {
        std::int32_t session = db->CreateSession(*db->FindAccount("8001", account), kNow);
        std::string body = "<WER>" + std::to_string(version) + "</WER><WCID>8001</WCID><AC>" + std::string(account) +
                           "</AC><OP>" + std::to_string(operation) + "</OP><ID>" + std::to_string(id) +
                           "</ID><NUMBER>1</NUMBER>"
                           "<LCID>2052</LCID><RAND>" +
                           std::to_string(session) + "</RAND><DATA>" + std::string(data) + "\x07</DATA>\n";
        return handler->Handle(body);
    }

    // The new record's id from a successful answer, or nullopt.
    std::optional<std::int64_t> NewId(const std::string& answer) {
        if (answer.empty() || answer.back() != '\n') return std::nullopt;
        std::int64_t id = std::stoll(answer);
        if (id <= 0 || answer != std::to_string(id) + "\n") return std::nullopt;
        return id;
    }

    // The rows of a query with `width` columns, as texts.
    std::vector<std::vector<std::string>> Rows(const std::string& sql, int width, std::optional<std::int64_t> id = {}) {
        SqliteStatement query(db->Handle(), sql);
        if (id) query.Bind(1, *id);
        std::vector<std::vector<std::string>> rows;
        while (query.Step()) {
            auto& row = rows.emplace_back();
            for (int c = 0; c < width; ++c) row.push_back(query.Text(c));
        }
        return rows;
    }

    std::int64_t Count(const std::string& table) { return std::stoll(Rows("SELECT count(*) FROM " + table, 1)[0][0]); }

    // Every shipment table's row count, to see that a refusal wrote nothing.
    std::vector<std::int64_t> Counts() {
        std::vector<std::int64_t> counts;
        for (const char* table : {"rec_pre_input", "rec_pre_input_goods", "rec_pre_input_item", "client_rec",
                                  "client_rec_goods", "client_rec_weight_detail", "accounts"})
            counts.push_back(Count(table));
        return counts;
    }

    test::TempDir dir;
    std::optional<ServerDatabase> db;
    std::optional<TransactionHandler> handler;
};

TEST_F(UploadTest, PreEntryWithGoodsAndPiecesUnderTheCallersCustomer) {
    ShipmentCall call(false);
    call.Set(1, "1002");  // another customer's id is not taken
    call.Goods(GoodsSql(false, {"Kid`s toy", Utf8ToGbk("手机壳")}));
    call.Pieces(PiecesSql(false, {1500, 1000}));
    call.Set(67, Quoted("alias"));
    call.Set(71, "1.50");
    std::optional<std::int64_t> id = NewId(Ask(0, call.Data()));
    ASSERT_TRUE(id);

    auto record = Rows(
        "SELECT icid, local_id, account, cnum, creceiver, cdes, ddate, fweight, cemskind, iitem,"
        " cgoodsa, fgcustom, irid FROM rec_pre_input WHERE iid = ?",
        13, id);
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0], (std::vector<std::string>{"1001", "77", "demo", "EA100000123CN", "O'Neil", "北京",
                                                   "2024.05.06", "2.5", "GNTK", "2", "alias", "1.5", "0"}));
    EXPECT_EQ(Rows("SELECT wpos, cgoods, iquantity, fprice, cgcodec, fgcrate FROM rec_pre_input_goods"
                   " WHERE iid = ? ORDER BY wpos",
                   6, id),
              (std::vector<std::vector<std::string>>{{"0", "Kid`s toy", "2", "1.5", "C", "0.05"},
                                                     {"1", "手机壳", "2", "1.5", "C", "0.05"}}));
    EXPECT_EQ(Rows("SELECT wpos, iweight, cgoods FROM rec_pre_input_item WHERE iid = ? ORDER BY wpos", 3, id),
              (std::vector<std::vector<std::string>>{{"0", "1500", "piece"}, {"1", "1000", "piece"}}));

    // The pre-entry reads back through operation 11.
    std::string answer = Ask(11, "..", "demo", 2, *id);
    EXPECT_EQ(answer.substr(0, 2), "1\n");
    EXPECT_NE(answer.find("<RNAME>O'Neil</RNAME>"), std::string::npos);
    // The kind goes in as its code and comes back as the name the client knows.
    EXPECT_NE(answer.find("<EMSKIND>" + Utf8ToGbk("国内特快专递") + "</EMSKIND>"), std::string::npos);
    EXPECT_NE(answer.find("\t1.50\tKid`s toy\t"), std::string::npos) << answer;
}

TEST_F(UploadTest, DirectRecordWithGoodsAndPieces) {
    ShipmentCall call(true);
    call.Goods(GoodsSql(true, {"book"}));
    call.Pieces(PiecesSql(true, {700, 800, 900}));  // the client numbers every piece 0
    call.Set(72, Quoted("alias"));
    call.Set(77, "0.1300");
    std::optional<std::int64_t> id = NewId(Ask(0, call.Data(), "direct"));
    ASSERT_TRUE(id);
    EXPECT_EQ(
        Rows("SELECT icid, account, cnum, creceiver, cgoodsa, fgcrate, nstate FROM client_rec WHERE irid = ?", 7, id),
        (std::vector<std::vector<std::string>>{{"1002", "direct", "EA100000123CN", "O'Neil", "alias", "0.13", "1"}}));
    EXPECT_EQ(Rows("SELECT wpos, cgoods FROM client_rec_goods WHERE irid = ?", 2, id),
              (std::vector<std::vector<std::string>>{{"0", "book"}}));
    EXPECT_EQ(Rows("SELECT wpos, iweight FROM client_rec_weight_detail WHERE irid = ? ORDER BY wpos, rowid", 2, id),
              (std::vector<std::vector<std::string>>{{"0", "700"}, {"0", "800"}, {"0", "900"}}));
}

TEST_F(UploadTest, ShipmentWithoutChildren) {
    ShipmentCall call(false);
    std::optional<std::int64_t> id = NewId(Ask(0, call.Data()));
    ASSERT_TRUE(id);
    EXPECT_EQ(Count("rec_pre_input_goods WHERE iid = " + std::to_string(*id)), 0);
    EXPECT_EQ(Count("rec_pre_input_item WHERE iid = " + std::to_string(*id)), 0);
}

TEST_F(UploadTest, ManyRowsBeyondOneCompoundStatement) {
    // More terms than SQLite takes in one compound select.
    std::vector<std::string> names(620, "x");
    std::vector<int> grams(530, 100);
    ShipmentCall call(false);
    call.Goods(GoodsSql(false, names));
    call.Pieces(PiecesSql(false, grams));
    std::optional<std::int64_t> id = NewId(Ask(0, call.Data()));
    ASSERT_TRUE(id);
    EXPECT_EQ(Rows("SELECT count(*), max(wpos) FROM rec_pre_input_goods WHERE iid = ?", 2, id)[0],
              (std::vector<std::string>{"620", "619"}));
    EXPECT_EQ(Count("rec_pre_input_item WHERE iid = " + std::to_string(*id)), 530);
}

TEST_F(UploadTest, RowsWithoutEndAreStopped) {
    // Every row is the record's own, but their number has no bound.
    std::string values = "(values(0)";
    for (int i = 1; i < 60; ++i) values += ",(" + std::to_string(i) + ")";
    values += ")";
    ShipmentCall call(true);
    call.Pieces("INSERT INTO varno.dbo.client_rec_weight_detail(irid,iweight) select #1234567#,1 from " + values +
                " a, " + values + " b, " + values + " c, " + values + " d");
    const auto before = Counts();
    EXPECT_EQ(Ask(0, call.Data(), "direct"), "-3\n");
    EXPECT_EQ(Counts(), before);
    EXPECT_TRUE(NewId(Ask(0, ShipmentCall(true).Data(), "direct")));
}

TEST_F(UploadTest, DuplicateWaybillOfTheSameCustomerWritesNothing) {
    ShipmentCall call(false);
    call.Set(10, "'EK10000000CN'");  // demo pre-entry 502 of customer 1001
    call.Goods(GoodsSql(false, {"x"}));
    auto before = Counts();
    EXPECT_EQ(Ask(0, call.Data()), "-2\n");
    EXPECT_EQ(Counts(), before);

    // The same number from another local record (the first came from 77).
    ShipmentCall fresh(false);
    ASSERT_TRUE(NewId(Ask(0, fresh.Data())));
    EXPECT_EQ(Ask(0, fresh.Data(), "demo", 1, 78), "-2\n");
    // Another customer may carry the same number.
    ShipmentCall direct(true);
    EXPECT_TRUE(NewId(Ask(0, direct.Data(), "direct")));
    EXPECT_EQ(Ask(0, direct.Data(), "direct", 1, 78), "-2\n");
    // Shipments still without a number are not duplicates.
    ShipmentCall unnumbered(false);
    unnumbered.Set(10, "''");
    EXPECT_TRUE(NewId(Ask(0, unnumbered.Data())));
    EXPECT_TRUE(NewId(Ask(0, unnumbered.Data())));
}

TEST_F(UploadTest, ResendOfAStoredShipmentIsAnsweredWithItsIdAndWritesNothing) {
    ExecSql(db->Handle(),
            "INSERT INTO accounts(site_id, account, password, customer_id) VALUES('8001', 'demo2', 'x', 1001)");
    // The first upload comes from local record 77 of the first account; the
    // second carries the same number, from the given account and record.
    struct Case {
        const char* name;
        std::string first, second;
        std::int32_t localId;
        const char* expected;  // "first": the first upload's id, "new": a new id, or the answer
    } cases[] = {
        {"the same local record", "demo", "demo", 77, "first"},
        {"the same local record of a direct member", "direct", "direct", 77, "first"},
        {"another local record", "demo", "demo", 78, "-2\n"},
        {"another account of the customer", "demo", "demo2", 77, "-2\n"},
        {"a record without a local id, twice", "demo", "demo", 0, "-2\n"},
        {"another customer", "demo", "direct", 77, "new"},
    };
    int serial = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string number = "'EA10000055" + std::to_string(serial++) + "CN'";
        const bool direct = c.first == "direct";
        ShipmentCall first(direct);
        first.Set(10, number);
        first.Goods(GoodsSql(direct, {"x", "y"}));
        first.Pieces(PiecesSql(direct, {100, 200}));
        std::optional<std::int64_t> id = NewId(Ask(0, first.Data(), c.first, 1, c.localId == 0 ? 0 : 77));
        ASSERT_TRUE(id);
        const auto before = Counts();
        const std::string stored = std::string("SELECT ") + (direct ? "irid" : "iid") +
                                   ", icid, local_id, account, cnum, creceiver, dsysdate" + " FROM " +
                                   (direct ? "client_rec" : "rec_pre_input") + " ORDER BY 1";
        const auto storedRows = Rows(stored, 7);

        // Sent again as the client does when it missed the answer, here with
        // the receiver changed meanwhile: the stored record stays as it is.
        const bool secondDirect = c.second == "direct";
        ShipmentCall again(secondDirect);
        again.Set(10, number);
        again.Set(14, "'Someone else'");
        again.Goods(GoodsSql(secondDirect, {"z"}));
        const std::string answer = Ask(0, again.Data(), c.second, 1, c.localId);
        if (std::string_view(c.expected) == "new") {
            std::optional<std::int64_t> other = NewId(answer);
            ASSERT_TRUE(other) << answer;
            EXPECT_EQ(Rows("SELECT icid, local_id FROM client_rec WHERE irid = ?", 2, other),
                      (std::vector<std::vector<std::string>>{{"1002", "77"}}));
            continue;
        }
        EXPECT_EQ(answer, std::string_view(c.expected) == "first" ? std::to_string(*id) + "\n" : c.expected);
        EXPECT_EQ(Counts(), before);
        EXPECT_EQ(Rows(stored, 7), storedRows);
    }
}

TEST_F(UploadTest, ChildSqlBeyondItsOwnRowsIsRefusedWithTheShipment) {
    const std::string goodsHead =
        "INSERT INTO varno.dbo.rec_pre_input_goods(wpos,iid,cgoods,cunit,iquantity,fprice,cgoodsa,cgcodea,cgcodeb,"
        "cgcodec,fgcustom,fgcrate) select ";
    const std::string row = "0,#1234567#,'x','',1,1.00,'','','','',0.00,0.0000";
    struct Case {
        const char* name;
        std::string goods;
    } cases[] = {
        {"the pieces table", PiecesSql(false, {100})},
        {"another table", "INSERT INTO varno.dbo.client_rec_goods(wpos,irid,cgoods) select 0,#1234567#,'x'"},
        {"the accounts", "INSERT INTO accounts(site_id,account,password,customer_id) select '8001','x','y',1"},
        {"a second statement", goodsHead + row + "; DELETE FROM rec_pre_input"},
        {"a second insert", goodsHead + row + "; " + goodsHead + "1" + row.substr(1)},
        {"attach", "ATTACH DATABASE 'other.db' AS other"},
        {"pragma", "PRAGMA foreign_keys=OFF"},
        {"commit", "COMMIT"},
        {"a plain select", "select 1"},
        {"reading the accounts",
         goodsHead + "0,#1234567#,(select password from accounts limit 1),'',1,1.00,'','','','',0.00,0.0000"},
        {"reading other shipments",
         goodsHead + "0,#1234567#,(select cnum from rec_pre_input limit 1),'',1,1.00,'','','','',0.00,0.0000"},
        {"rows copied from another table", goodsHead + "0,#1234567#,csender,'',1,1.00,'','','','',0.00,0.0000"
                                                       " from rec_pre_input"},
        {"a function", goodsHead + "0,#1234567#,hex(randomblob(8)),'',1,1.00,'','','','',0.00,0.0000"},
        {"a file function", goodsHead + "0,#1234567#,load_extension('x'),'',1,1.00,'','','','',0.00,0.0000"},
        {"another record's goods", goodsHead + "0,502,'x','',1,1.00,'','','','',0.00,0.0000"},
        {"a second row for another record", goodsHead + row +
                                                " union all select 1,501,'x','',1,1.00,'','','','',"
                                                "0.00,0.0000"},
        {"replacing another record's goods",
         "INSERT OR REPLACE INTO varno.dbo.rec_pre_input_goods(wpos,iid,cgoods)"
         " select 1,501,'taken'"},
        {"returning rows", goodsHead + row + " RETURNING cgoods"},
        {"a comment", goodsHead + row + " -- note"},
        {"an unclosed quote", goodsHead + "0,#1234567#,'x,'',1"},
        {"a broken statement", goodsHead + "0,#1234567#,"},
        {"a missing column", goodsHead + "0,#1234567#,'x'"},
        {"a recursive row source", "WITH RECURSIVE n(i) AS (select 0 union all select i+1 from n) " + goodsHead +
                                       "i,#1234567#,'x','',1,1.00,'','','','',0.00,0.0000 from n"},
    };
    const auto before = Counts();
    for (const Case& c : cases) {
        ShipmentCall call(false);
        call.Set(10, "'EA100000999CN'");
        call.Pieces(PiecesSql(false, {100}));
        call.Goods(c.goods);
        EXPECT_EQ(Ask(0, call.Data()), "-3\n") << c.name;
        EXPECT_EQ(Counts(), before) << c.name;
    }
    EXPECT_EQ(Rows("SELECT cgoods FROM rec_pre_input_goods WHERE iid = 501 ORDER BY wpos", 1),
              (std::vector<std::vector<std::string>>{{"Phone case"}, {"USB cable"}}));
    // The same number is still free, and the connection takes plain SQL again.
    ShipmentCall call(false);
    call.Set(10, "'EA100000999CN'");
    call.Goods(GoodsSql(false, {"x"}));
    EXPECT_TRUE(NewId(Ask(0, call.Data())));
    EXPECT_EQ(Ask(5, "", "demo").substr(0, 2), "1\n");
}

TEST_F(UploadTest, CallsThatDoNotFitAreRefused) {
    struct Case {
        const char* name;
        std::string account;
        std::string data;
    } cases[] = {
        {"direct procedure from a pre-entry member", "demo", ShipmentCall(true).Data()},
        {"pre-entry procedure from a direct member", "direct", ShipmentCall(false).Data()},
        {"pre-entry arguments under the direct procedure", "direct",
         ShipmentCall(false).Data("cp_client_rec_add_ec_exx")},
        {"modification", "demo", ShipmentCall(false).Data("cp_rec_pre_input_mod_ec_exx")},
        {"unknown procedure", "demo", ShipmentCall(false).Data("xp_cmdshell")},
        {"unbalanced quote", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(13, "'abc");
             return c.Data();
         }()},
        {"text for a number", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(2, "'1'");
             return c.Data();
         }()},
        {"fraction for an integer", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(43, "2.5");
             return c.Data();
         }()},
        {"number for a text", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(9, "5");
             return c.Data();
         }()},
        {"impossible date", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(4, "'2023.02.29'");
             return c.Data();
         }()},
        {"date in another form", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(4, "'2024-05-06'");
             return c.Data();
         }()},
        {"placeholder argument", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(12, "?");
             return c.Data();
         }()},
        {"one argument short", "demo",
         [] {
             ShipmentCall c(false);
             c.Drop(72);
             return c.Data();
         }()},
        {"one argument more", "demo",
         [] {
             ShipmentCall c(false);
             c.Set(72, "0.0000,0");
             return c.Data();
         }()},
        {"text after the call", "demo", ShipmentCall(false).Data() + "x"},
        {"not a call", "demo", "INSERT INTO rec_pre_input(icid) VALUES(1001)"},
    };
    const auto before = Counts();
    for (const Case& c : cases) {
        EXPECT_EQ(Ask(0, c.data, c.account), "-3\n") << c.name;
        EXPECT_EQ(Counts(), before) << c.name;
    }
    EXPECT_EQ(Ask(0, ShipmentCall(false).Data(), "demo", 2), "-100\n");
}

TEST_F(UploadTest, OnlyDestinationsTheKindTakesAreStored) {
    // A kind of the site that lists no destinations takes any of the table.
    SqliteStatement(db->Handle(), "INSERT INTO express_kinds(site_id, code, name) VALUES('8001', 'OPEN', '开放')")
        .Step();
    struct Case {
        const char* name;
        bool direct;
        const char* kind;
        const char* destination;
        bool stored;
    } cases[] = {
        {"listed for the kind", false, "GNTK", "北京", true},
        {"listed, direct record", true, "GNTK", "上海", true},
        {"an international kind's country", false, "GJTK", "美国", true},
        {"not in the table", false, "GNTK", "火星", false},
        {"not in the table, direct record", true, "GNTK", "火星", false},
        {"empty", false, "GNTK", "", false},
        {"another kind's destination", false, "GNTK", "美国", false},
        {"an address beyond a listed place", false, "GNTK", "北京市海淀区", false},  // 北京市 is not listed
        {"a kind without a list, destination in the table", false, "OPEN", "美国", false},
        {"a kind without a list, destination not in the table", false, "OPEN", "火星", false},
        {"a kind the site does not have", false, "NOPE", "北京", false},
    };
    int number = 0;
    for (const Case& c : cases) {
        ShipmentCall call(c.direct);
        call.Set(7, Quoted(c.kind));
        call.Set(9, Quoted(Utf8ToGbk(c.destination)));
        call.Set(10, Quoted("EA2000000" + std::to_string(++number) + "CN"));
        call.Goods(GoodsSql(c.direct, {"book"}));
        const auto before = Counts();
        const std::string answer = Ask(0, call.Data(), c.direct ? "direct" : "demo");
        if (c.stored) {
            EXPECT_TRUE(NewId(answer)) << c.name << ": " << answer;
        } else {
            EXPECT_EQ(answer, "-3\n") << c.name;
            EXPECT_EQ(Counts(), before) << c.name;
        }
    }
}

// A scan call of the given procedure with the values after the fourteen
// placeholders.
std::string ScanCall(std::string_view procedure, const std::vector<std::string>& values, int placeholders = 14) {
    std::string data = "{?=CALL varno.dbo." + std::string(procedure) + "(";
    for (int i = 0; i < placeholders; ++i) data += "?,";
    for (std::size_t i = 0; i < values.size(); ++i) data += (i ? "," : "") + values[i];
    return data + ")}";
}

TEST_F(UploadTest, CheckScansOfEachLanguage) {
    const std::vector<std::string> head = {
        "0", "'EK10000000CN'", "'SZX'", Quoted(Utf8ToGbk("上海")), "3", "'2024.05.06 07:08:00'", "'2024-05-06 07:08'"};
    const std::string zhPlace = Quoted(Utf8ToGbk("深圳宝安")), zhDetail = Quoted(Utf8ToGbk("由李四签收"));
    const std::vector<std::string> tail = {"'" + std::string(kFixedText) + "'", Quoted(Utf8ToGbk("李四")), "51", "0"};
    struct Case {
        const char* procedure;
        std::vector<std::string> places;
        std::vector<std::string> expected;  // nlanguage, cplace_zh, cdetail_zh, cplace_en, cdetail_en
    } cases[] = {
        {"cp_check_detail_scan_add_ec", {zhPlace, zhDetail}, {"0", "深圳宝安", "由李四签收", "", ""}},
        {"cp_check_detail_en_scan_add_ec",
         {"'Shenzhen'", "'Signed by O''Neil'"},
         {"1", "", "", "Shenzhen", "Signed by O'Neil"}},
        {"cp_check_detail_scan_all_ec",
         {zhPlace, zhDetail, "'Shenzhen'", "'Signed'"},
         {"2", "深圳宝安", "由李四签收", "Shenzhen", "Signed"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> values = head;
        values.insert(values.end(), c.places.begin(), c.places.end());
        values.insert(values.end(), tail.begin(), tail.end());
        std::optional<std::int64_t> id = NewId(Ask(4, ScanCall(c.procedure, values)));
        ASSERT_TRUE(id) << c.procedure;
        auto rows = Rows(
            "SELECT nlanguage, cplace_zh, cdetail_zh, cplace_en, cdetail_en, icid, account, local_id,"
            " cnum, cstation, cnext, nstatus, dsign, devent, csigner, nposition, ncode"
            " FROM cp_check_detail WHERE iscan = ?",
            17, id);
        ASSERT_EQ(rows.size(), 1u) << c.procedure;
        std::vector<std::string> expected = c.expected;
        for (const char* v : {"1001", "demo", "77", "EK10000000CN", "SZX", "上海", "3", "2024.05.06 07:08:00",
                              "2024-05-06 07:08", "李四", "51", "0"})
            expected.push_back(v);
        EXPECT_EQ(rows[0], expected) << c.procedure;
    }

    const std::vector<std::string> thirteen = {"0",   "'N1234567'", "'SZX'", "''", "0", "''", "'2024-05-06 07:08'",
                                               "'p'", "'d'",        "'*A'",  "''", "1", "0"};
    auto with = [&](std::size_t at, std::string value) {
        std::vector<std::string> v = thirteen;
        v[at] = std::move(value);
        return v;
    };
    struct Refused {
        const char* name;
        std::string data;
    } refused[] = {
        {"both languages under the Chinese procedure",
         ScanCall("cp_check_detail_scan_add_ec", {"0", "'N1234567'", "'SZX'", "''", "0", "''", "'t'", "'p'", "'d'",
                                                  "'p'", "'d'", "'*A'", "''", "1", "0"})},
        {"one language under the bilingual procedure", ScanCall("cp_check_detail_scan_all_ec", thirteen)},
        {"thirteen placeholders", ScanCall("cp_check_detail_scan_add_ec", thirteen, 13)},
        {"a value for a placeholder", ScanCall("cp_check_detail_scan_add_ec", thirteen, 15)},
        {"no waybill number", ScanCall("cp_check_detail_scan_add_ec", with(1, "''"))},
        {"text for the status", ScanCall("cp_check_detail_scan_add_ec", with(4, "'3'"))},
        {"position and code as one text",
         ScanCall("cp_check_detail_en_scan_add_ec",
                  {"0", "'N1234567'", "'SZX'", "''", "0", "''", "'t'", "'p'", "'d'", "'*A'", "''", "'1,0'"})},
        {"unknown procedure", ScanCall("cp_check_detail_scan_del_ec", thirteen)},
        {"unclosed quote", ScanCall("cp_check_detail_scan_add_ec", with(2, "'SZX"))},
    };
    const std::int64_t scans = Count("cp_check_detail");
    for (const Refused& r : refused) EXPECT_EQ(Ask(4, r.data), "-1\n") << r.name;
    EXPECT_EQ(Count("cp_check_detail"), scans);
    EXPECT_TRUE(NewId(Ask(4, ScanCall("cp_check_detail_scan_add_ec", thirteen), "direct")));
}

// The upload tests' setup on connections whose log syncs are counted.
class DurableUploadTest : public UploadTest {
protected:
    // The connection goes before the layer it was opened through.
    void TearDown() override {
        handler.reset();
        db.reset();
    }

    // The log syncs while one request is answered. The log is emptied first,
    // so no checkpoint falls into the request, and begun again by the login
    // (the first write into a log syncs its header), so only the request's
    // own commit can sync it.
    int SyncsWhileAnswering(int operation, std::string_view data, std::string& answer, std::string_view account) {
        ExecSql(db->Handle(), "PRAGMA wal_checkpoint(TRUNCATE)");
        std::int32_t session = db->CreateSession(*db->FindAccount("8001", account), kNow);
        vfs.Reset();
        const int version = operation == 11 ? 2 : 1;
        answer = handler->Handle("<WER>" + std::to_string(version) + "</WER><WCID>8001</WCID><AC>" +
                                 std::string(account) + "</AC><OP>" + std::to_string(operation) +
                                 "</OP><ID>5</ID><NUMBER>1</NUMBER><LCID>2052</LCID><RAND>" + std::to_string(session) +
                                 "</RAND>" + (operation == 12 ? "<TS>123456</TS>" : "") + "<DATA>" + std::string(data) +
                                 "\x07</DATA>\n");
        return vfs.WalSyncs();
    }

    test::SyncCountingVfs vfs;
};

TEST_F(DurableUploadTest, StoredUploadsAreOnTheDiskWhenAnswered) {
    ShipmentCall withChildren(false);
    withChildren.Goods(GoodsSql(false, {"x"}));
    withChildren.Pieces(PiecesSql(false, {100}));
    ShipmentCall duplicate(false);
    duplicate.Set(10, "'EK10000000CN'");  // demo pre-entry 502
    const std::string scan = ScanCall("cp_check_detail_scan_add_ec", {"0", "'N1234567'", "'SZX'", "''", "0", "''",
                                                                      "'t'", "'p'", "'d'", "'*A'", "''", "1", "0"});
    struct Case {
        const char* name;
        int operation;
        std::string data;
        const char* account;
        bool stores;
    } cases[] = {
        {"pre-entry with goods and pieces", 0, withChildren.Data(), "demo", true},
        {"direct record", 0, ShipmentCall(true).Data(), "direct", true},
        {"check scan", 4, scan, "demo", true},
        {"number from the service", 12, "1*", "demo", true},
        // What stores nothing, or what only reads, leaves the everyday level.
        {"refused duplicate", 0, duplicate.Data(), "demo", false},
        {"settlement summary", 5, "", "demo", false},
        {"pre-entry read back", 11, "..", "demo", false},
    };
    for (const Case& c : cases) {
        std::string answer;
        int syncs = SyncsWhileAnswering(c.operation, c.data, answer, c.account);
        if (c.stores) {
            if (c.operation == 12)
                EXPECT_EQ(answer.substr(0, 2), "1\n") << c.name << ": " << answer;
            else
                EXPECT_TRUE(NewId(answer)) << c.name << ": " << answer;
            EXPECT_GE(syncs, 1) << c.name;
        } else {
            EXPECT_EQ(syncs, 0) << c.name;
        }
    }
    EXPECT_EQ(Rows("PRAGMA synchronous", 1), (std::vector<std::vector<std::string>>{{"1"}}));  // NORMAL again
}

}  // namespace
}  // namespace tallux::server
