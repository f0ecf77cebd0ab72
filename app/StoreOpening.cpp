#include "app/StoreOpening.h"

#include <functional>

#include "app/ClientState.h"
#include "store/ShipmentRemoval.h"
#include "store/StoreFiles.h"

namespace tallux {

std::span<const char* const> StoreOpenMessages() {
    static const char* const messages[] = {
        "收/发件人数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "预录业务数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "预录物品数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "预录重量数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
        "检查点扫描数据文件打开失败\r\n请检查是否共享冲突!\r\n程序将不会被启动！\r\n",
    };
    return messages;
}

std::optional<std::string> OpenStores(ClientState& state) {
    // Same order as StoreFiles(): contacts, shipments, goods, weights, scans.
    const std::function<int(const std::string&)> openers[] = {
        [&](const std::string& path) { return state.contacts.Open(path); },
        [&](const std::string& path) { return state.shipments.Open(path); },
        [&](const std::string& path) { return state.goods.Open(path); },
        [&](const std::string& path) { return state.weights.Open(path); },
        [&](const std::string& path) { return state.scans.Open(path); },
    };
    const auto files = StoreFiles();
    const auto messages = StoreOpenMessages();
    static_assert(std::size(openers) == 5);
    for (std::size_t i = 0; i < files.size() && i < std::size(openers); ++i)
        if (openers[i](state.PathOf(files[i].relativePath)) < 0) return std::string(messages[i]);
    // A removal of an uploaded shipment that a killed run left half done is
    // finished before anything reads the stores; one that cannot be finished
    // now is tried again by the next upload or delete.
    ShipmentRemoval(state.shipments, state.goods, state.weights).FinishInterrupted();
    return std::nullopt;
}

}  // namespace tallux
