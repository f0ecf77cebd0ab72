#include "print/PrintFields.h"

#include "text/GbkCodec.h"

namespace tallux {

// std::to_array counts the names: a table of any other length does not compile.
const std::array<std::string_view, kPrintFieldCount> kPrintFieldNamesUtf8 = std::to_array<std::string_view>({
    // 0–7
    "发件人",
    "发件单位",
    "发件地址",
    "发件电话",
    "发件城市",
    "发件邮编",
    "发件省州",
    "发件国家",
    // 8–15
    "收件人",
    "收件单位",
    "收件地址",
    "收件电话",
    "收件城市",
    "收件邮编",
    "收件省州",
    "收件国家",
    // 16–20
    "入重",
    "业务日期",
    "出发地",
    "目的地",
    "发件单位简称",
    // 21–25
    "备注1",
    "备注2",
    "备注3",
    "备注4",
    "备注5",
    // 26–34
    "物品描述",
    "物品包装",
    "托运备注",
    "声明价值",
    "投保价值",
    "件数",
    "到付运费",
    "代收货款",
    "客户帐号",
    // 35–41
    "物品名称数量",
    "服务商",
    "出重",
    "标价",
    "报关费",
    "标价-报关费",
    "收客户费",
    // 42–45
    "内部单号",
    "转运单号",
    "参考号",
    "标签",
    // 46–51
    "收件地址1",
    "收件地址2",
    "收件地址3",
    "发件地址1",
    "发件地址2",
    "发件地址3",
    // 52–55
    "快件类型",
    "文件√",
    "包裹√",
    "防水袋√",
    // 56–63
    "记录ID",
    "来自ID",
    "报关单号",
    "所属部门",
    "发件邮箱",
    "收件邮箱",
    "收件短信",
    "发送日期",
    // 64–70
    "留用串",
    "发送批次号",
    "物品描述外文",
    "留用数",
    "所属站点",
    "检查点",
    "操作员",
    // 71–77
    "基础运费",
    "燃附费",
    "提货费",
    "送货费",
    "保险费",
    "包装费",
    "杂费",
    // 78–82
    "结算指示",
    "称重",
    "月结√",
    "现付√",
    "到付√",
    // 83–87
    "1件品名",
    "1件转单号",
    "1件参考号",
    "1件称重",
    "1件尺寸",
    // 88–92
    "2件品名",
    "2件转单号",
    "2件参考号",
    "2件称重",
    "2件尺寸",
    // 93–97
    "3件品名",
    "3件转单号",
    "3件参考号",
    "3件称重",
    "3件尺寸",
    // 98–102
    "目的地编码",
    "目的地英文",
    "发件短信",
    "物品数量",
    "物品单价",
    // 103–107
    "备用一",
    "备用二",
    "备用三",
    "备用四",
    "备用五",
});

const std::array<std::string_view, kQrTagCount> kQrTagsUtf8 = std::to_array<std::string_view>({
    "[运单号]",   "[目的地]",       "[网络渠道]", "[类型]",       "[件数]",       "[重量]",     "[发件人]",
    "[发件单位]", "[发件地址]",     "[发件电话]", "[发件邮编]",   "[发件国家]",   "[发件省州]", "[发件城市]",
    "[发件邮箱]", "[短信电话]",     "[收件人]",   "[收件单位]",   "[收件地址]",   "[收件电话]", "[收件邮编]",
    "[收件国家]", "[收件省州]",     "[收件城市]", "[收件邮箱]",   "[收件短信]",   "[物品描述]", "[物品数量]",
    "[物品单价]", "[物品包装]",     "[托运备注]", "[声明价值]",   "[投保价值]",   "[计价货币]", "[原产地]",
    "[代收货款]", "[代收货款返回]", "[付款方式]", "[目的地编码]", "[目的地英文]", "[标签]",     "[备注]",
});

namespace {

template <std::size_t N>
std::array<std::string, N> ToGbk(const std::array<std::string_view, N>& names) {
    std::array<std::string, N> converted;
    for (std::size_t i = 0; i < N; ++i) converted[i] = Utf8ToGbk(names[i]);
    return converted;
}

}  // namespace

const std::array<std::string, kPrintFieldCount>& PrintFieldTable() {
    static const std::array<std::string, kPrintFieldCount> table = ToGbk(kPrintFieldNamesUtf8);
    return table;
}

std::string_view PrintFieldName(int index) {
    if (index < 0 || index >= static_cast<int>(kPrintFieldCount)) return {};
    return PrintFieldTable()[static_cast<std::size_t>(index)];
}

int PrintFieldIndex(std::string_view nameGbk) {
    const auto& table = PrintFieldTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == nameGbk) return static_cast<int>(i);
    return -1;
}

const std::array<std::string, kQrTagCount>& QrTagTable() {
    static const std::array<std::string, kQrTagCount> table = ToGbk(kQrTagsUtf8);
    return table;
}

std::string_view QrTag(int index) {
    const auto& table = QrTagTable();
    return table[index >= 0 && index < static_cast<int>(kQrTagCount) ? static_cast<std::size_t>(index) : 0];
}

}  // namespace tallux
