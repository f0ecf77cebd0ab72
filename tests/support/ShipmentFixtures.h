#pragma once

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "preentry/LocalShipmentWriter.h"
#include "store/GoodsLineStore.h"
#include "store/PieceWeightStore.h"
#include "store/ShipmentRecord.h"
#include "store/ShipmentStore.h"
#include "store/StoreLock.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace tallux::test {

// A shipment as the form leaves it once every check has passed, ready to be
// stored (id -1) and uploaded: a parcel paid in cash, 国内特快专递 (the demo
// server's GNTK) to 上海, with receiver, sender, goods and weight filled in.
// A test sets on the copy whatever it looks at.
inline ShipmentRecord ReadyShipment(std::string_view waybill) {
    ShipmentRecord s{};
    s.id = -1;
    s.businessYear = 2026;
    s.businessMonth = 12;
    s.businessDay = 9;
    s.itemType = 1;
    s.payment = 1;
    s.pieces = 1;
    s.weight = 2.5;
    s.actualWeight = 2.5;
    s.expressKind = Utf8ToGbk("国内特快专递");
    s.destination = Utf8ToGbk("上海");
    s.waybillNumber = waybill;
    s.receiverName = Utf8ToGbk("李娜");
    s.receiverPhone = "13912345678";
    s.receiverAddress = Utf8ToGbk("上海市浦东新区世纪大道100号");
    s.senderName = Utf8ToGbk("张伟");
    s.goodsDescription = Utf8ToGbk("衣服");
    s.goodsQuantity = 1;
    s.currency = "CNY";
    return s;
}

// Opens the shipment, goods-line and piece-weight stores in folder (made
// when missing) under the names they have in a program directory's DATA/,
// keeping the records already there, and releases lock as start-up does
// once the stores are open. False, after saying on stderr which file did
// not open and why, when one does not; the lock then stays taken.
inline bool OpenShipmentStores(const std::filesystem::path& folder, ShipmentStore& shipments, GoodsLineStore& goods,
                               PieceWeightStore& weights, StoreLock& lock) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const auto opened = [&folder](auto& store, const char* file) {
        const std::string path = (folder / file).string();
        if (store.Open(path) >= 0) return true;
        std::cerr << path << ": " << store.ErrorText() << '\n';
        return false;
    };
    if (!opened(shipments, "recinput.dat") || !opened(goods, "recgoods.dat") || !opened(weights, "recweight.dat"))
        return false;
    lock.Release();
    return true;
}

// The three stores and their lock opened so in a fresh temporary directory,
// and the LocalShipmentStores over them: the base of a fixture for what
// saves, tidies or deletes shipments without a ClientState, whose SetUp
// asserts opened.
struct ShipmentStoresInTempDir {
    TempDir dir;
    ShipmentStore shipments;
    GoodsLineStore goods;
    PieceWeightStore weights;
    StoreLock lock;
    const bool opened = OpenShipmentStores(dir.Path(), shipments, goods, weights, lock);
    LocalShipmentStores stores{shipments, goods, weights, lock};
};

}  // namespace tallux::test
