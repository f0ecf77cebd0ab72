#pragma once

#include <array>

#include "app/PageKind.h"

namespace tallux {

// The menu and toolbar commands of the main window. The numbers are the
// client's command identifiers, kept as they have always been: the upload
// animation shows its frames by putting one of the six kCmdUploadFrame
// commands into the upload button's slot, the toolbar order and the enable
// rules are written in them, and the tests name commands by number. Nothing
// is stored under them.
enum CommandId : int {
    kCmdLogin = 32771,               // 登入服务器
    kCmdSave = 32772,                // 保存
    kCmdUpload = 32773,              // 上传数据
    kCmdDownloadBaseData = 32774,    // 下载更新基本数据
    kCmdPrintReport = 32776,         // 打印报表 (the page's Print)
    kCmdRecordCheckPage = 32778,     // page 1 核单
    kCmdPreEntryPage = 32780,        // page 0 预录
    kCmdCheckpointScanPage = 32781,  // page 2 检查
    kCmdNewRecord = 32782,           // 新建
    kCmdDelete = 32783,              // 删除
    kCmdCopyAll = 32784,             // 整体拷贝
    kCmdPasteAll = 32785,            // 整体粘贴
    kCmdAddressBookPage = 32789,     // page 3 名录
    kCmdQuery = 32790,               // 信息查询
    kCmdExportReport = 32792,        // 报表文件导出
    kCmdEditHints = 32793,           // 设置常用提示输入
    kCmdUploadFrame0 = 32795,        // upload animation frames: clicking one
    kCmdUploadFrame1 = 32796,        // while an upload runs offers to stop it
    kCmdUploadFrame2 = 32797,
    kCmdUploadFrame3 = 32798,
    kCmdUploadFrame4 = 32803,
    kCmdUploadFrame5 = 32805,
    kCmdToggleSelectAll = 32806,     // 将列表记录全部选中
    kCmdRefresh = 32808,             // 刷新列表数据
    kCmdSettlementSummary = 32809,   // 查询业务结算情况
    kCmdSettlementPage = 32810,      // page 4 结算
    kCmdPriceSelected = 32811,       // 给所选预录记录计价
    kCmdTidyWaybillNumbers = 32812,  // 整理预录记录的运单号
    kCmdSelectLabelTemplate = 32813,
    kCmdSelectInvoiceTemplate = 32814,
    kCmdSelectWaybillTemplate = 32815,
    kCmdDownloadTemplates = 32816,    // 下载更新打印模版
    kCmdPrintLabels = 32817,          // 打印标签
    kCmdPrintWaybills = 32818,        // 打印面单
    kCmdPrintInvoices = 32819,        // 打印形式发票
    kCmdInvoicesToFile = 32820,       // 输出形式发票到文件
    kCmdImportFile = 32821,           // 打开Excel文件导入
    kCmdOpenCompanySite = 32822,      // 打开公司网站
    kCmdScaleSettings = 32823,        // 设置本机电子秤参数
    kCmdEditSettings = 32824,         // 设置本程序运行数据
    kCmdPreQueryPage = 32825,         // page 5 预查
    kCmdPriceQuery = 32832,           // 报价查询 (a window of its own)
    kCmdPrinterAssociations = 32833,  // 多打印机固定关联配置
    kCmdPrintSetup = 57606,           // 打印设置
    kCmdAbout = 57664,                // 关于
    kCmdExit = 57665,                 // 退出
};

// The page switch command of each page, by page index.
inline constexpr std::array<int, kPageCount> kPageSwitchCommands = {
    kCmdPreEntryPage,    kCmdRecordCheckPage, kCmdCheckpointScanPage,
    kCmdAddressBookPage, kCmdSettlementPage,  kCmdPreQueryPage,
};

// The upload button's command for each animation frame 0..5.
inline constexpr std::array<int, 6> kUploadFrameCommands = {
    kCmdUploadFrame0, kCmdUploadFrame1, kCmdUploadFrame2, kCmdUploadFrame3, kCmdUploadFrame4, kCmdUploadFrame5,
};

inline constexpr std::array<int, 46> kAllCommands = {
    kCmdLogin,
    kCmdSave,
    kCmdUpload,
    kCmdDownloadBaseData,
    kCmdPrintReport,
    kCmdRecordCheckPage,
    kCmdPreEntryPage,
    kCmdCheckpointScanPage,
    kCmdNewRecord,
    kCmdDelete,
    kCmdCopyAll,
    kCmdPasteAll,
    kCmdAddressBookPage,
    kCmdQuery,
    kCmdExportReport,
    kCmdEditHints,
    kCmdUploadFrame0,
    kCmdUploadFrame1,
    kCmdUploadFrame2,
    kCmdUploadFrame3,
    kCmdUploadFrame4,
    kCmdUploadFrame5,
    kCmdToggleSelectAll,
    kCmdRefresh,
    kCmdSettlementSummary,
    kCmdSettlementPage,
    kCmdPriceSelected,
    kCmdTidyWaybillNumbers,
    kCmdSelectLabelTemplate,
    kCmdSelectInvoiceTemplate,
    kCmdSelectWaybillTemplate,
    kCmdDownloadTemplates,
    kCmdPrintLabels,
    kCmdPrintWaybills,
    kCmdPrintInvoices,
    kCmdInvoicesToFile,
    kCmdImportFile,
    kCmdOpenCompanySite,
    kCmdScaleSettings,
    kCmdEditSettings,
    kCmdPreQueryPage,
    kCmdPriceQuery,
    kCmdPrinterAssociations,
    kCmdPrintSetup,
    kCmdAbout,
    kCmdExit,
};

// The page index a switch command selects; -1 for other commands.
constexpr int PageOfSwitchCommand(int command) {
    for (int page = 0; page < kPageCount; ++page)
        if (kPageSwitchCommands[page] == command) return page;
    return -1;
}

// The frame 0..5 of an animation command; -1 for other commands.
constexpr int FrameOfUploadCommand(int command) {
    for (int frame = 0; frame < 6; ++frame)
        if (kUploadFrameCommands[frame] == command) return frame;
    return -1;
}

}  // namespace tallux
