#pragma once

#include <string>

#include "server/ServerDatabase.h"
#include "server/TransactionCaller.h"

namespace tallux::server {

// client_fee.nkind: what a settlement row is.
namespace fee {
inline constexpr int kSettled = 0;           // invoice settled: fpaid against famount
inline constexpr int kInvoiceUnchecked = 1;  // invoiced, not yet checked in
inline constexpr int kRecordsUnchecked = 2;  // records of a check-in not yet reconciled
}  // namespace fee

// Operation 5: "1\n" and seven lines: credit limit, settlement balance (paid
// less billed over settled rows), settled row count, open amount of
// unchecked invoices, their count, open amount of unchecked check-ins, their
// count. "0\n" when the customer has neither rows nor a credit limit.
std::string SettlementAnswer(ServerDatabase& db, const TransactionCaller& caller);

}  // namespace tallux::server
