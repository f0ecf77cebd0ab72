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
    {"GJTK", "国际特快专递", true},  {"GJJJ", "国际经济快递", true}, {"GJXB", "国际小包", true},
    {"GJDB", "国际大包", true},      {"GJWJ", "国际文件快递", true}, {"GNTK", "国内特快专递", false},
    {"GNJJ", "国内经济快递", false}, {"GNBZ", "国内标准快递", false}, {"TCKD", "同城快递", false},
    {"CRD", "次日达", false},        {"GRD", "隔日达", false},       {"DSHK", "代收货款快递", false},
};

struct Place {
    std::string_view code;
    std::string_view nameZh;
    std::string_view nameEn;
    std::string_view digits;  // postcode prefix or calling code
};

constexpr Place kProvinces[] = {
    {"BJ", "北京", "Beijing", "10"},         {"TJ", "天津", "Tianjin", "30"},
    {"HE", "河北", "Hebei", "05"},           {"SX", "山西", "Shanxi", "03"},
    {"NM", "内蒙古", "Inner Mongolia", "01"}, {"LN", "辽宁", "Liaoning", "11"},
    {"JL", "吉林", "Jilin", "13"},           {"HL", "黑龙江", "Heilongjiang", "15"},
    {"SH", "上海", "Shanghai", "20"},        {"JS", "江苏", "Jiangsu", "21"},
    {"ZJ", "浙江", "Zhejiang", "31"},        {"AH", "安徽", "Anhui", "23"},
    {"FJ", "福建", "Fujian", "35"},          {"JX", "江西", "Jiangxi", "33"},
    {"SD", "山东", "Shandong", "25"},        {"HA", "河南", "Henan", "45"},
    {"HB", "湖北", "Hubei", "43"},           {"HN", "湖南", "Hunan", "41"},
    {"GD", "广东", "Guangdong", "51"},       {"GX", "广西", "Guangxi", "53"},
    {"HI", "海南", "Hainan", "57"},          {"CQ", "重庆", "Chongqing", "40"},
    {"SC", "四川", "Sichuan", "61"},         {"GZ", "贵州", "Guizhou", "55"},
    {"YN", "云南", "Yunnan", "65"},          {"XZ", "西藏", "Tibet", "85"},
    {"SN", "陕西", "Shaanxi", "71"},         {"GS", "甘肃", "Gansu", "73"},
    {"QH", "青海", "Qinghai", "81"},         {"NX", "宁夏", "Ningxia", "75"},
    {"XJ", "新疆", "Xinjiang", "83"},        {"HK", "香港", "Hong Kong", "852"},
    {"MO", "澳门", "Macao", "853"},          {"TW", "台湾", "Taiwan", "886"},
};

constexpr Place kCountries[] = {
    {"US", "美国", "United States", "1"},      {"CA", "加拿大", "Canada", "1"},
    {"MX", "墨西哥", "Mexico", "52"},          {"BR", "巴西", "Brazil", "55"},
    {"AR", "阿根廷", "Argentina", "54"},       {"GB", "英国", "United Kingdom", "44"},
    {"FR", "法国", "France", "33"},            {"DE", "德国", "Germany", "49"},
    {"IT", "意大利", "Italy", "39"},           {"ES", "西班牙", "Spain", "34"},
    {"NL", "荷兰", "Netherlands", "31"},       {"BE", "比利时", "Belgium", "32"},
    {"CH", "瑞士", "Switzerland", "41"},       {"AT", "奥地利", "Austria", "43"},
    {"SE", "瑞典", "Sweden", "46"},            {"NO", "挪威", "Norway", "47"},
    {"DK", "丹麦", "Denmark", "45"},           {"FI", "芬兰", "Finland", "358"},
    {"PL", "波兰", "Poland", "48"},            {"RU", "俄罗斯", "Russia", "7"},
    {"JP", "日本", "Japan", "81"},             {"KR", "韩国", "Korea, Republic of", "82"},
    {"SG", "新加坡", "Singapore", "65"},       {"MY", "马来西亚", "Malaysia", "60"},
    {"TH", "泰国", "Thailand", "66"},          {"VN", "越南", "Viet Nam", "84"},
    {"ID", "印度尼西亚", "Indonesia", "62"},   {"PH", "菲律宾", "Philippines", "63"},
    {"IN", "印度", "India", "91"},             {"AE", "阿联酋", "United Arab Emirates", "971"},
    {"SA", "沙特阿拉伯", "Saudi Arabia", "966"}, {"TR", "土耳其", "Turkey", "90"},
    {"EG", "埃及", "Egypt", "20"},             {"ZA", "南非", "South Africa", "27"},
    {"AU", "澳大利亚", "Australia", "61"},     {"NZ", "新西兰", "New Zealand", "64"},
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
    SqliteStatement accepts(db,
                            "INSERT INTO kind_destinations(site_id, kind_code, destination_code) VALUES(?, ?, ?)");
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

}  // namespace

void WriteDemoData(ServerDatabase& database, std::int64_t now) {
    sqlite3* db = database.Handle();
    ExecSql(db, "BEGIN IMMEDIATE");
    try {
        SqliteStatement(db, "INSERT INTO sites(site_id, name) VALUES(?, ?)").Bind(1, kSite).Bind(2, "深圳宝安营业部").Step();
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
