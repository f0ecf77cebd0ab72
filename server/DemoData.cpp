#include "server/DemoData.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include "server/DatabaseError.h"
#include "server/ServerDatabase.h"
#include "server/SqliteStatement.h"
#include "text/GbkCodec.h"

namespace tallux::server {

namespace {

constexpr std::string_view kSite = "8001";

struct Kind {
    std::string_view code;
    std::string_view name;
    bool international;
};

constexpr Kind kKinds[] = {
    {"GJTK", "国际特快专递", true},  {"GJJJ", "国际经济快递", true},  {"GJXB", "国际小包", true},
    {"GJDB", "国际大包", true},      {"GJWJ", "国际文件快递", true},  {"GNTK", "国内特快专递", false},
    {"GNJJ", "国内经济快递", false}, {"GNBZ", "国内标准快递", false}, {"TCKD", "同城快递", false},
    {"CRD", "次日达", false},        {"GRD", "隔日达", false},        {"DSHK", "代收货款快递", false},
};

struct Place {
    std::string_view code;
    std::string_view nameZh;
    std::string_view nameEn;
    std::string_view digits;  // postcode prefix or calling code
};

constexpr Place kProvinces[] = {
    {"BJ", "北京", "Beijing", "10"},
    {"TJ", "天津", "Tianjin", "30"},
    {"HE", "河北", "Hebei", "05"},
    {"SX", "山西", "Shanxi", "03"},
    {"NM", "内蒙古", "Inner Mongolia", "01"},
    {"LN", "辽宁", "Liaoning", "11"},
    {"JL", "吉林", "Jilin", "13"},
    {"HL", "黑龙江", "Heilongjiang", "15"},
    {"SH", "上海", "Shanghai", "20"},
    {"JS", "江苏", "Jiangsu", "21"},
    {"ZJ", "浙江", "Zhejiang", "31"},
    {"AH", "安徽", "Anhui", "23"},
    {"FJ", "福建", "Fujian", "35"},
    {"JX", "江西", "Jiangxi", "33"},
    {"SD", "山东", "Shandong", "25"},
    {"HA", "河南", "Henan", "45"},
    {"HB", "湖北", "Hubei", "43"},
    {"HN", "湖南", "Hunan", "41"},
    {"GD", "广东", "Guangdong", "51"},
    {"GX", "广西", "Guangxi", "53"},
    {"HI", "海南", "Hainan", "57"},
    {"CQ", "重庆", "Chongqing", "40"},
    {"SC", "四川", "Sichuan", "61"},
    {"GZ", "贵州", "Guizhou", "55"},
    {"YN", "云南", "Yunnan", "65"},
    {"XZ", "西藏", "Tibet", "85"},
    {"SN", "陕西", "Shaanxi", "71"},
    {"GS", "甘肃", "Gansu", "73"},
    {"QH", "青海", "Qinghai", "81"},
    {"NX", "宁夏", "Ningxia", "75"},
    {"XJ", "新疆", "Xinjiang", "83"},
    {"HK", "香港", "Hong Kong", "852"},
    {"MO", "澳门", "Macao", "853"},
    {"TW", "台湾", "Taiwan", "886"},
};

constexpr Place kCountries[] = {
    {"US", "美国", "United States", "1"},
    {"CA", "加拿大", "Canada", "1"},
    {"MX", "墨西哥", "Mexico", "52"},
    {"BR", "巴西", "Brazil", "55"},
    {"AR", "阿根廷", "Argentina", "54"},
    {"GB", "英国", "United Kingdom", "44"},
    {"FR", "法国", "France", "33"},
    {"DE", "德国", "Germany", "49"},
    {"IT", "意大利", "Italy", "39"},
    {"ES", "西班牙", "Spain", "34"},
    {"NL", "荷兰", "Netherlands", "31"},
    {"BE", "比利时", "Belgium", "32"},
    {"CH", "瑞士", "Switzerland", "41"},
    {"AT", "奥地利", "Austria", "43"},
    {"SE", "瑞典", "Sweden", "46"},
    {"NO", "挪威", "Norway", "47"},
    {"DK", "丹麦", "Denmark", "45"},
    {"FI", "芬兰", "Finland", "358"},
    {"PL", "波兰", "Poland", "48"},
    {"RU", "俄罗斯", "Russia", "7"},
    {"JP", "日本", "Japan", "81"},
    {"KR", "韩国", "Korea, Republic of", "82"},
    {"SG", "新加坡", "Singapore", "65"},
    {"MY", "马来西亚", "Malaysia", "60"},
    {"TH", "泰国", "Thailand", "66"},
    {"VN", "越南", "Viet Nam", "84"},
    {"ID", "印度尼西亚", "Indonesia", "62"},
    {"PH", "菲律宾", "Philippines", "63"},
    {"IN", "印度", "India", "91"},
    {"AE", "阿联酋", "United Arab Emirates", "971"},
    {"SA", "沙特阿拉伯", "Saudi Arabia", "966"},
    {"TR", "土耳其", "Turkey", "90"},
    {"EG", "埃及", "Egypt", "20"},
    {"ZA", "南非", "South Africa", "27"},
    {"AU", "澳大利亚", "Australia", "61"},
    {"NZ", "新西兰", "New Zealand", "64"},
};

// emskind.txt as the client reads it (CRLF lines, GBK).
constexpr std::string_view kEmskindText =
    "<快递类别顺序定义开始>\r\n"
    "国内特快专递=1\r\n"
    "国内标准快递=2\r\n"
    "国内经济快递=3\r\n"
    "国际特快专递=4\r\n"
    "国际经济快递=5\r\n"
    "国际小包=6\r\n"
    "<快递类别顺序定义结束>\r\n"
    "\r\n"
    "<取单号快递类别定义开始>\r\n"
    "国内特快专递=1\r\n"
    "国内标准快递=2\r\n"
    "<取单号快递类别定义结束>\r\n"
    "\r\n"
    "<取转单号快递类别定义开始>\r\n"
    "国际经济快递=5\r\n"
    "<取转单号快递类别定义结束>\r\n"
    "\r\n"
    "<取单号管理扩展定义开始>\r\n"
    "取单号类别=0\r\n"
    "取单号模式=0\r\n"
    "<一对多取单号定义开始>\r\n"
    "国内经济快递=5*|经济备用\r\n"
    "<一对多取单号定义结束>\r\n"
    "<虚拟取单ID定义开始>\r\n"
    "经济备用=2\r\n"
    "<虚拟取单ID定义结束>\r\n"
    "<字段填写定义开始>\r\n"
    "国内特快专递=-|特快标准件|深圳宝安营业部||||\r\n"
    "<字段填写定义结束>\r\n"
    "<取单号管理扩展定义结束>\r\n";

void InsertAccount(sqlite3* db, std::string_view account, std::string_view password, int customerId, int memberMode,
                   bool picture, bool numberService, std::string_view shortCode, bool permission,
                   const std::vector<std::string_view>& checkpoint) {
    SqliteStatement insert(db,
                           "INSERT INTO accounts(site_id, account, password, customer_id, member_mode,"
                           " option_number, picture_flag, number_service_flag, short_code, permission_flag,"
                           " station_code, second_code, place_zh, detail_zh, place_en, detail_en)"
                           " VALUES(?, ?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, kSite).Bind(2, account).Bind(3, password).Bind(4, customerId).Bind(5, memberMode);
    insert.Bind(6, picture ? 1 : 0).Bind(7, numberService ? 1 : 0).Bind(8, shortCode).Bind(9, permission ? 1 : 0);
    for (int i = 0; i < 6; ++i) {
        if (checkpoint.empty()) {
            insert.BindNull(10 + i);
        } else {
            insert.Bind(10 + i, checkpoint[static_cast<std::size_t>(i)]);
        }
    }
    insert.Step();
}

void InsertPlaces(sqlite3* db) {
    SqliteStatement insert(db,
                           "INSERT INTO destinations(code, name_zh, name_en, zone_text, digits, small_a, small_b,"
                           " is_country) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    auto add = [&](const Place& place, bool country) {
        insert.Reset();
        insert.Bind(1, place.code).Bind(2, place.nameZh).Bind(3, place.nameEn);
        insert.Bind(4, country ? "INTL" : "CN").Bind(5, place.digits).Bind(6, country ? 1 : 0).Bind(7, 0);
        insert.Bind(8, country ? 1 : 0).Step();
    };
    for (const Place& place : kProvinces) add(place, false);
    for (const Place& place : kCountries) add(place, true);
}

void InsertKinds(sqlite3* db) {
    SqliteStatement kind(db, "INSERT INTO express_kinds(site_id, code, name, sort_order) VALUES(?, ?, ?, ?)");
    SqliteStatement accepts(db, "INSERT INTO kind_destinations(site_id, kind_code, destination_code) VALUES(?, ?, ?)");
    int order = 0;
    for (const Kind& k : kKinds) {
        kind.Reset();
        kind.Bind(1, kSite).Bind(2, k.code).Bind(3, k.name).Bind(4, ++order).Step();
        auto accept = [&](std::string_view destination) {
            accepts.Reset();
            accepts.Bind(1, kSite).Bind(2, k.code).Bind(3, destination).Step();
        };
        // Hong Kong, Macao and Taiwan go by the international kinds.
        for (const Place& p : kProvinces) {
            bool outsideMainland = p.code == "HK" || p.code == "MO" || p.code == "TW";
            if (k.international == outsideMainland) accept(p.code);
        }
        if (k.international)
            for (const Place& p : kCountries) accept(p.code);
    }
}

// The keys clients ask the number service with ("%u*" of the number in
// emskind.txt's waybill and transfer lists), each with its own prefix so no
// two keys can hand out the same number.
void InsertNumberKeys(sqlite3* db) {
    SqliteStatement numbers(db,
                            "INSERT INTO number_sequences(site_id, kind_code, prefix, next_value, last_value,"
                            " width, suffix) VALUES(?, ?, ?, ?, ?, ?, ?)");
    struct Key {
        std::string_view key, prefix;
        int first, last, width;
        std::string_view suffix;
    };
    constexpr Key kKeys[] = {
        {"1*", "EK", 10000001, 99999999, 8, "CN"},
        {"2*", "SZ", 1, 999999999, 10, ""},
        {"5*", "LZ", 500001, 999999, 9, "CN"},
    };
    for (const Key& k : kKeys) {
        numbers.Reset();
        numbers.Bind(1, kSite).Bind(2, k.key).Bind(3, k.prefix).Bind(4, k.first).Bind(5, k.last);
        numbers.Bind(6, k.width).Bind(7, k.suffix).Step();
    }
}

// Zone tariffs for every kind, plus a few destinations priced apart.
void InsertPrices(sqlite3* db) {
    SqliteStatement price(db,
                          "INSERT INTO prices(site_id, kind_code, destination_code, item_type, first_grams,"
                          " first_price, step_grams, step_price) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    auto add = [&](std::string_view kind, std::string_view destination, int itemType, int firstGrams, double firstPrice,
                   int stepGrams, double stepPrice) {
        price.Reset();
        price.Bind(1, kSite).Bind(2, kind).Bind(3, destination).Bind(4, itemType).Bind(5, firstGrams);
        price.BindReal(6, firstPrice).Bind(7, stepGrams).BindReal(8, stepPrice).Step();
    };
    for (const Kind& k : kKinds) {
        if (k.international) {
            add(k.code, "INTL", -1, 500, 180.0, 500, 60.0);
        } else {
            add(k.code, "CN", -1, 1000, 20.0, 1000, 8.0);
        }
    }
    add("GNTK", "GD", -1, 1000, 12.0, 1000, 2.0);   // same province
    add("GNTK", "XJ", -1, 1000, 30.0, 1000, 15.0);  // remote
    add("GJTK", "US", 0, 500, 160.0, 500, 45.0);    // documents
    add("GJTK", "US", -1, 500, 220.0, 500, 55.0);
}

void InsertPreEntries(sqlite3* db) {
    SqliteStatement entry(db,
                          "INSERT INTO rec_pre_input(iid, icid, account, nitemtype, ddate, dsysdate, npayway,"
                          " cemskind, caddrfrom, cdes, cnum, fweight, famount, csender, csunit, csaddr, csphone,"
                          " creceiver, crunit, craddr, cphone, crpost, crcountry, crcity, cgoods, iquantity,"
                          " igprice, idvalue, cmoney, iitem, clabel, cmark, cgoodsa, fgcustom, fgcrate)"
                          " VALUES(?, ?, 'demo', ?, ?, ?, 0, ?, '深圳', ?, ?, ?, ?, '张三', '宝安电子厂',"
                          " '深圳市宝安区新安街道1号', '0755-27770000', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                          " ?, ?, ?, ?, ?)");
    struct Entry {
        int iid, customer, itemType;
        std::string_view date, kind, destination, number;
        double weight, amount;
        std::string_view receiver, company, address, phone, post, country, city, goods;
        int quantity, unitPrice, declared;
        std::string_view money;
        int pieces;
        std::string_view label, memo, alias;
        double duty, dutyRate;
    };
    const Entry kEntries[] = {
        {501,
         1001,
         2,
         "2024.05.06",
         "GJTK",
         "美国",
         "",
         2.5,
         0.0,
         "John Smith",
         "Acme Inc.",
         "1 Main Street, Springfield",
         "+1 555 0100",
         "62701",
         "United States",
         "Springfield",
         "Phone cases; USB cables",
         30,
         350,
         12000,
         "USD",
         2,
         "FRAGILE",
         "call before delivery",
         "accessories",
         0.0,
         0.0},
        {502,
         1001,
         1,
         "2024.05.07",
         "GNTK",
         "北京",
         "EK10000000CN",
         0.8,
         20.0,
         "李四",
         "北京图书公司",
         "北京市海淀区中关村大街1号",
         "010-62750000",
         "100080",
         "中国",
         "北京",
         "合同文件",
         1,
         0,
         0,
         "CNY",
         1,
         "",
         "",
         "",
         0.0,
         0.0},
        // Another customer's: never shown to customer 1001.
        {503,
         1002,
         1,
         "2024.05.07",
         "GNTK",
         "上海",
         "",
         1.2,
         0.0,
         "王五",
         "",
         "上海市浦东新区1号",
         "021-50000000",
         "200120",
         "中国",
         "上海",
         "样品",
         1,
         0,
         0,
         "CNY",
         1,
         "",
         "",
         "",
         0.0,
         0.0},
    };
    for (const Entry& e : kEntries) {
        entry.Reset();
        int column = 0;
        auto i = [&column] { return ++column; };
        entry.Bind(i(), e.iid).Bind(i(), e.customer).Bind(i(), e.itemType).Bind(i(), e.date).Bind(i(), e.date);
        entry.Bind(i(), e.kind).Bind(i(), e.destination).Bind(i(), e.number).BindReal(i(), e.weight);
        entry.BindReal(i(), e.amount).Bind(i(), e.receiver).Bind(i(), e.company).Bind(i(), e.address);
        entry.Bind(i(), e.phone).Bind(i(), e.post).Bind(i(), e.country).Bind(i(), e.city).Bind(i(), e.goods);
        entry.Bind(i(), e.quantity).Bind(i(), e.unitPrice).Bind(i(), e.declared).Bind(i(), e.money);
        entry.Bind(i(), e.pieces).Bind(i(), e.label).Bind(i(), e.memo).Bind(i(), e.alias);
        entry.BindReal(i(), e.duty).BindReal(i(), e.dutyRate).Step();
    }
    SqliteStatement goods(db,
                          "INSERT INTO rec_pre_input_goods(iid, wpos, cgoods, iquantity, fprice, cgoodsa, cgcodea,"
                          " fgcustom, fgcrate) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
    auto addGoods = [&](int iid, int pos, std::string_view name, int quantity, double price, std::string_view alias,
                        std::string_view code, double duty, double rate) {
        goods.Reset();
        goods.Bind(1, iid).Bind(2, pos).Bind(3, name).Bind(4, quantity).BindReal(5, price).Bind(6, alias);
        goods.Bind(7, code).BindReal(8, duty).BindReal(9, rate).Step();
    };
    addGoods(501, 1, "Phone case", 20, 2.5, "手机壳", "392690", 0.0, 0.0);
    addGoods(501, 2, "USB cable", 10, 5.0, "数据线", "854442", 1.5, 0.03);
    SqliteStatement piece(db,
                          "INSERT INTO rec_pre_input_item(iid, wpos, ilong, iwidth, iheight, iweight, npercent,"
                          " iquantity, iprice, cgoods) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    auto addPiece = [&](int iid, int pos, int l, int w, int h, int grams, int quantity, int price,
                        std::string_view name) {
        piece.Reset();
        piece.Bind(1, iid).Bind(2, pos).Bind(3, l).Bind(4, w).Bind(5, h).Bind(6, grams).Bind(7, 100);
        piece.Bind(8, quantity).Bind(9, price).Bind(10, name).Step();
    };
    addPiece(501, 1, 30, 20, 10, 1500, 20, 250, "Phone case");
    addPiece(501, 2, 20, 15, 10, 1000, 10, 500, "USB cable");
    addPiece(502, 1, 32, 23, 2, 800, 1, 0, "合同文件");
}

void InsertSettlements(sqlite3* db) {
    SqliteStatement credit(db, "INSERT INTO customer_credit(icid, credit_limit) VALUES(?, ?)");
    credit.Bind(1, 1001).BindReal(2, 5000.0).Step();
    SqliteStatement fee(db,
                        "INSERT INTO client_fee(icid, ddate, nkind, famount, fpaid, cmark) VALUES(?, ?, ?, ?, ?, ?)");
    struct Fee {
        int customer;
        std::string_view date;
        int kind;
        double amount, paid;
        std::string_view mark;
    };
    // Kinds: 0 settled invoice, 1 unchecked invoice, 2 unchecked check-in.
    constexpr Fee kFees[] = {
        {1001, "2024-03-31", 0, 1200.0, 1500.0, "三月账单"}, {1001, "2024-04-30", 0, 980.5, 900.0, "四月账单"},
        {1001, "2024-05-15", 1, 320.0, 0.0, "五月上半月"},   {1001, "2024-05-20", 2, 45.5, 0.0, "待核收件"},
        {1002, "2024-04-30", 0, 700.0, 700.0, "四月账单"},
    };
    for (const Fee& f : kFees) {
        fee.Reset();
        fee.Bind(1, f.customer).Bind(2, f.date).Bind(3, f.kind).BindReal(4, f.amount).BindReal(5, f.paid);
        fee.Bind(6, f.mark).Step();
    }
}

}  // namespace

void WriteDemoData(ServerDatabase& database, std::int64_t now) {
    sqlite3* db = database.Handle();
    ExecSql(db, "BEGIN IMMEDIATE");
    try {
        SqliteStatement(db, "INSERT INTO sites(site_id, name) VALUES(?, ?)")
            .Bind(1, kSite)
            .Bind(2, "深圳宝安营业部")
            .Step();
        InsertAccount(db, "demo", "demo123", 1001, 0, true, true, "SZ", true,
                      {"SZX", "SZ1", "深圳宝安", "快件已在深圳宝安营业部收寄", "Shenzhen Baoan",
                       "Accepted at the Shenzhen Baoan counter"});
        InsertAccount(db, "direct", "direct123", 1002, 1, false, false, "", true, {});
        InsertAccount(db, "nopermission", "nope123", 1003, 0, false, false, "", false, {});
        InsertPlaces(db);
        InsertKinds(db);
        SqliteStatement file(db, "INSERT INTO shared_files(site_id, title, content, modified_at) VALUES(?, ?, ?, ?)");
        file.Bind(1, kSite).Bind(2, "emskind.txt").BindBlob(3, Utf8ToGbk(kEmskindText)).Bind(4, now).Step();
        SqliteStatement numbers(db,
                                "INSERT INTO number_sequences(site_id, kind_code, prefix, next_value, last_value,"
                                " width, suffix) VALUES(?, ?, ?, ?, ?, 9, 'CN')");
        numbers.Bind(1, kSite).Bind(2, "GNTK").Bind(3, "EA").Bind(4, 100000001).Bind(5, 100999999).Step();
        numbers.Reset();
        numbers.Bind(1, kSite).Bind(2, "GNBZ").Bind(3, "XA").Bind(4, 200000001).Bind(5, 200999999).Step();
        InsertNumberKeys(db);
        InsertPrices(db);
        InsertPreEntries(db);
        InsertSettlements(db);
        ExecSql(db, "COMMIT");
    } catch (...) {
        ExecSql(db, "ROLLBACK");
        throw;
    }
}

std::optional<std::string> CreateDemoDatabase(const std::string& path, bool force, std::int64_t now) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    bool exists = std::filesystem::exists(path, error);
    if (exists && !std::filesystem::is_regular_file(path, error)) return path + " exists and is not a regular file";
    if (exists && size > 0 && !force) return path + " already exists; add --force to replace it";
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(path + suffix, error);
        if (error) return "cannot remove " + path + suffix + ": " + error.message();
    }
    try {
        ServerDatabase db(path);
        WriteDemoData(db, now);
    } catch (const DatabaseError& e) {
        return e.what();
    }
    return std::nullopt;
}

}  // namespace tallux::server
