#include "server/SettlementAnswer.h"

#include "server/SqliteStatement.h"
#include "server/TransactionCodes.h"

namespace tallux::server {

std::string SettlementAnswer(ServerDatabase& database, const TransactionCaller& caller) {
    return database.Locked([&](sqlite3* db) {
        SqliteStatement credit(db, "SELECT credit_limit FROM customer_credit WHERE icid = ?");
        credit.Bind(1, caller.customerId);
        bool hasCredit = credit.Step();
        double creditLimit = hasCredit ? credit.Real(0) : 0.0;

        SqliteStatement sums(db,
                             "SELECT"
                             " total(CASE WHEN nkind = ?2 THEN fpaid - famount END),"
                             " count(CASE WHEN nkind = ?2 THEN 1 END),"
                             " total(CASE WHEN nkind = ?3 THEN famount - fpaid END),"
                             " count(CASE WHEN nkind = ?3 THEN 1 END),"
                             " total(CASE WHEN nkind = ?4 THEN famount - fpaid END),"
                             " count(CASE WHEN nkind = ?4 THEN 1 END)"
                             " FROM client_fee WHERE icid = ?1");
        sums.Bind(1, caller.customerId).Bind(2, fee::kSettled).Bind(3, fee::kInvoiceUnchecked);
        sums.Bind(4, fee::kRecordsUnchecked);
        sums.Step();
        if (!hasCredit && sums.Int(1) + sums.Int(3) + sums.Int(5) == 0) return TransactionAnswerText(trans::kNoResult);
        std::string lines = FixedDecimal(creditLimit, 2) + "\n" + FixedDecimal(sums.Real(0), 2) + "\n" +
                            std::to_string(sums.Int(1)) + "\n" + FixedDecimal(sums.Real(2), 2) + "\n" +
                            std::to_string(sums.Int(3)) + "\n" + FixedDecimal(sums.Real(4), 2) + "\n" +
                            std::to_string(sums.Int(5)) + "\n";
        return TransactionAnswerText(1, lines);
    });
}

}  // namespace tallux::server
