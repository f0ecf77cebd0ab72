#include "cli/DemoData.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "store/CheckScanStore.h"
#include "store/ContactStore.h"
#include "store/GoodsLineStore.h"
#include "store/GoodsNameRecord.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentStore.h"
#include "store/StoreFiles.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

namespace fs = std::filesystem;

template <typename Record>
Record Blank() {
    Record r;
    std::memset(&r, 0, sizeof r);
    return r;
}

struct DemoShipment {
    const char* waybill;
    const char* kind;
    const char* destination;
    const char* receiverName;
    const char* receiverCompany;
    const char* receiverAddress;
    const char* receiverPhone;
    const char* receiverCity;
    const char* receiverCountry;
    const char* goods;
    int pieces;
    double weight;
};

const DemoShipment kShipments[] = {
    {"TL2026120900001", "国内标准快递", "上海", "李娜", "上海华东贸易有限公司", "上海市浦东新区世纪大道100号",
     "13912345678", "上海市", "中国", "衣服", 1, 1.2},
    {"TL2026120900002", "国际特快专递", "美国", "John Smith", "Smith Trading LLC", "350 Fifth Avenue, New York, NY",
     "2125550100", "New York", "United States", "鞋子", 2, 4.0},
    {"TL2026120900003", "国内经济快递", "北京", "王芳", "", "北京市朝阳区建国路88号", "13800138000", "北京市", "中国",
     "书籍", 1, 0.8},
};

struct DemoName {
    const char* code;
    const char* chinese;
    const char* english;
};

const DemoName kGoodsNames[] = {
    {"1001", "衣服", "CLOTHES"},
    {"1002", "鞋子", "SHOES"},
    {"1003", "书籍", "BOOKS"},
    {"1004", "文件", "DOCUMENTS"},
    {"1005", "手机壳", "PHONE CASE"},
    {"1006", "玩具", "TOYS"},
    {"1007", "茶叶", "TEA"},
    {"1008", "化妆品", "COSMETICS"},
    {"1009", "帽子", "HAT"},
    {"1010", "手表", "WATCH"},
    {"1011", "背包", "BACKPACK"},
    {"1012", "样品", "SAMPLES"},
    {"1013", "电子配件", "ELECTRONIC ACCESSORIES"},
    {"1014", "床上用品", "BEDDING"},
    {"1015", "围巾", "SCARF"},
    {"1016", "杯子", "CUP"},
};

void SetText(auto& field, const char* utf8) { field.assign(Utf8ToGbk(utf8)); }

void WriteDictionary(const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    const char header[8] = {};
    out.write(header, sizeof header);
    int sequence = 1;
    for (const DemoName& name : kGoodsNames) {
        auto record = Blank<GoodsNameRecord>();
        record.sequence = sequence++;
        SetText(record.code, name.code);
        SetText(record.chineseName, name.chinese);
        SetText(record.englishName, name.english);
        out.write(reinterpret_cast<const char*>(&record), sizeof record);
    }
}

template <typename Store>
bool OpenStore(Store& store, const fs::path& home, const char* name, std::ostream& err) {
    for (const StoreFile& file : StoreFiles())
        if (std::strcmp(file.name, name) == 0 && store.Open((home / file.relativePath).string()) >= 0) return true;
    err << "tallux-cli: " << store.ErrorText() << '\n';
    return false;
}

void AddShipments(ShipmentStore& shipments, GoodsLineStore& goods, PieceWeightStore& weights) {
    for (const DemoShipment& demo : kShipments) {
        auto s = Blank<ShipmentRecord>();
        s.businessYear = 2026;
        s.businessMonth = 12;
        s.businessDay = 9;
        s.itemType = 1;
        s.receiverLanguage = std::strcmp(demo.receiverCountry, "中国") == 0 ? 0 : 2;
        s.payment = 1;
        s.pieces = demo.pieces;
        s.weight = demo.weight;
        s.actualWeight = demo.weight;
        s.goodsQuantity = 1;
        SetText(s.expressKind, demo.kind);
        SetText(s.origin, "深圳");
        SetText(s.destination, demo.destination);
        SetText(s.waybillNumber, demo.waybill);
        SetText(s.senderName, "张伟");
        SetText(s.senderCompany, "深圳市示范电子有限公司");
        SetText(s.senderAddress, "深圳市南山区科技园南区8栋");
        SetText(s.senderPhone, "075588886666");
        SetText(s.senderCity, "深圳市");
        SetText(s.senderCountry, "中国");
        SetText(s.receiverName, demo.receiverName);
        SetText(s.receiverCompany, demo.receiverCompany);
        SetText(s.receiverAddress, demo.receiverAddress);
        SetText(s.receiverPhone, demo.receiverPhone);
        SetText(s.receiverCity, demo.receiverCity);
        SetText(s.receiverCountry, demo.receiverCountry);
        SetText(s.goodsDescription, demo.goods);
        SetText(s.currency, "USD");
        SetText(s.goodsOrigin, "CN");
        s.goodsLineCount = 1;
        s.pieceWeightCount = demo.pieces;
        shipments.Append(s);

        auto line = Blank<GoodsLineRecord>();
        line.parentId = s.id;
        SetText(line.description, demo.goods);
        line.quantity = 1;
        line.unitPrice = 25.0;
        goods.Append(line);

        for (int piece = 0; piece < demo.pieces; ++piece) {
            auto w = Blank<PieceWeightRecord>();
            w.parentId = s.id;
            w.length = 30;
            w.width = 20;
            w.height = 10 + 5 * piece;
            w.weightGrams = static_cast<int>(demo.weight * 1000 / demo.pieces);
            w.volumetricPercent = 100;
            w.goodsQuantity = 1;
            SetText(w.description, demo.goods);
            weights.Append(w);
        }
    }
}

void AddScans(CheckScanStore& scans) {
    const char* numbers[] = {"TL2026120800011", "TL2026120800012"};
    for (int i = 0; i < 2; ++i) {
        auto c = Blank<CheckScanRecord>();
        c.language = 0;
        c.eventType = static_cast<std::uint8_t>(i == 0 ? 0 : 1);
        c.flightPosition = 1;
        SetText(c.waybillNumber, numbers[i]);
        SetText(c.eventTime, "2026-12-09 09:30");
        SetText(c.placeChinese, "深圳转运中心");
        SetText(c.detailChinese, i == 0 ? "快件已到达深圳转运中心" : "快件已从深圳转运中心发出");
        if (i == 1) SetText(c.nextStation, "上海");
        scans.Append(c);
    }
}

void AddContacts(ContactStore& contacts) {
    struct Demo {
        const char* code;
        const char* name;
        const char* phone;
        const char* address;
        const char* city;
    };
    const Demo demos[] = {
        {"lina", "李娜", "13912345678", "上海市浦东新区世纪大道100号", "上海市"},
        {"wf", "王芳", "13800138000", "北京市朝阳区建国路88号", "北京市"},
        {"js", "John Smith", "2125550100", "350 Fifth Avenue, New York, NY", "New York"},
    };
    for (const Demo& d : demos) {
        auto c = Blank<ContactRecord>();
        SetText(c.code, d.code);
        SetText(c.name, d.name);
        SetText(c.phone, d.phone);
        SetText(c.address, d.address);
        SetText(c.city, d.city);
        contacts.Append(c);
    }
}

}  // namespace

int WriteDemoData(const std::string& programDirectory, std::ostream& out, std::ostream& err) {
    fs::path home(programDirectory);
    std::error_code error;
    for (const char* folder : {"DATA", "DATA_SYS", "DATA_TEMP", "DATA_MODEL"}) {
        fs::create_directories(home / folder, error);
        if (error) {
            err << "tallux-cli: cannot create " << (home / folder).string() << ": " << error.message() << '\n';
            return 1;
        }
    }
    fs::path dictionary = home / kGoodsNameDictionaryPath;
    if (!fs::exists(dictionary)) WriteDictionary(dictionary);

    ContactStore contacts;
    ShipmentStore shipments;
    GoodsLineStore goods;
    PieceWeightStore weights;
    CheckScanStore scans;
    if (!OpenStore(contacts, home, "contacts", err) || !OpenStore(shipments, home, "shipments", err) ||
        !OpenStore(goods, home, "goods", err) || !OpenStore(weights, home, "weights", err) ||
        !OpenStore(scans, home, "scans", err))
        return 1;

    if (shipments.Count() > 0) {
        out << "demo data: " << home.string() << " already holds shipments; nothing added\n";
        return 0;
    }
    AddShipments(shipments, goods, weights);
    if (scans.Count() == 0) AddScans(scans);
    if (contacts.Count() == 0) AddContacts(contacts);
    out << "demo data written to " << home.string() << ": " << shipments.Count() << " shipments, " << goods.Count()
        << " goods lines, " << weights.Count() << " piece weights, " << scans.Count() << " checkpoint events, "
        << contacts.Count() << " contacts\n";
    return 0;
}

}  // namespace tallux
