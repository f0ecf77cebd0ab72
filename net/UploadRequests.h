#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/CheckScanRecord.h"
#include "store/GoodsLineRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux {

class KindList;
struct TransactionContext;

// The largest request an upload sends; a record whose call would not fit
// is not sent (result -1).
inline constexpr std::size_t kUploadRequestLimit = 64000;

// Where the server puts the new record's id in the child SQL.
inline constexpr std::string_view kNewRecordPlaceholder = "#1234567#";

// The stored procedures of an uploaded shipment, by member mode.
inline constexpr std::string_view kPreEntryAddProcedure = "cp_rec_pre_input_add_ec_exx";
inline constexpr std::string_view kDirectRecordAddProcedure = "cp_client_rec_add_ec_exx";

// The argument list of both add procedures (and, after the server id, of
// the pre-entry modification), without the parentheses: the shipment's
// fields, then the child SQL for its goods lines and piece weights and the
// goods codes. memberMode 1 (direct records) orders the tail differently.
// Apostrophes in the children's texts become backquotes in the SQL; the
// children passed in are not changed.
std::string ShipmentArguments(const ShipmentRecord& shipment, std::string_view kindCode, int customerId, int memberMode,
                              const std::vector<GoodsLineRecord>& goods, const std::vector<PieceWeightRecord>& pieces);

// The INSERT ... select ... union all select ... texts (empty without
// children), as they go inside the quoted arguments.
std::string GoodsLinesSql(const std::vector<GoodsLineRecord>& goods, int memberMode);
std::string PieceWeightsSql(const std::vector<PieceWeightRecord>& pieces, int memberMode);

// The whole operation-0 request for one shipment whose waybill number is
// complete: nullopt when the destination is empty, the kind is unknown, or
// the request would exceed kUploadRequestLimit.
std::optional<std::string> ShipmentUploadRequest(const TransactionContext& context, const ShipmentRecord& shipment,
                                                 const std::vector<GoodsLineRecord>& goods,
                                                 const std::vector<PieceWeightRecord>& pieces, const KindList& kinds);

// The whole operation-4 request for one checkpoint scan; nullopt when it
// would exceed kUploadRequestLimit.
std::optional<std::string> CheckScanUploadRequest(const TransactionContext& context, const CheckScanRecord& scan);

// What the pre-entry list shows of a shipment's readiness, the first that
// applies: "目的地空" (no destination), "类别错误" (kind not in the list),
// "目的地不存在" (the kind does not take the destination: the form's "※"),
// "整理单号" (placeholder in the waybill number), else "√".
std::string_view UploadStatusText(const ShipmentRecord& shipment, const KindList& kinds);
// Whether the shipment may go to the server as it is: "√", or "整理单号"
// (the number is completed on the way). The others stay for the operator.
bool UploadReady(std::string_view statusText);

// The reason a page shows for an upload result of 0 or below.
std::string UploadFailureText(int code);

}  // namespace tallux
