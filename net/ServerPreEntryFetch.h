#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/TransactionPost.h"
#include "store/GoodsLineRecord.h"
#include "store/PieceWeightRecord.h"
#include "store/ShipmentRecord.h"

namespace tallux {

// detailFlags of FetchServerPreEntry: units digit >= 1 also reads the goods
// lines, 10 or more also the pieces.
inline constexpr int kFetchGoodsLines = 1;
inline constexpr int kFetchPieces = 10;
inline constexpr int kFetchAllDetails = kFetchGoodsLines + kFetchPieces;

inline constexpr std::size_t kPreEntryAnswerSize = 128000;

enum class PreEntryFetchStatus {
    Found,
    NotFound,         // the server answered 0: no such record
    TransportFailed,  // code is the transport result
    ServerFailed,     // code is the negative result code
};

struct PreEntryFetchResult {
    PreEntryFetchStatus status = PreEntryFetchStatus::TransportFailed;
    int code = 0;
    std::string message;  // what to show (UTF-8); empty when found
    bool Found() const { return status == PreEntryFetchStatus::Found; }
};

// The value of one element of an operation 11 answer, written as 0x07 "<TAG>"
// value "</TAG>" 0x07; empty when the tag is absent or never closed.
std::string_view PreEntryTagValue(std::string_view answer, std::string_view tag);

// Fills record (cleared first, id = id) from the elements of answer, and the
// goods lines and pieces as detailFlags asks; lists not asked for are left
// alone. Texts longer than their field are cut to it.
void ReadServerPreEntry(std::string_view answer, std::int32_t id, int detailFlags, ShipmentRecord& record,
                        std::vector<GoodsLineRecord>& goodsLines, std::vector<PieceWeightRecord>& pieces);

// Operation 11: fetches one server pre-entry with its goods lines and pieces
// (for printing from the pre-query page and for editing it). The outputs
// change only when the record was found.
PreEntryFetchResult FetchServerPreEntry(const TransactionContext& context, std::int32_t id, ShipmentRecord& record,
                                        std::vector<GoodsLineRecord>& goodsLines,
                                        std::vector<PieceWeightRecord>& pieces, int detailFlags);

}  // namespace tallux
