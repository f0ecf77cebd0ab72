#include "server/Schema.h"

namespace tallux::server {

namespace {

// Shipment tables keep the column names the client writes into its
// conditions and inserts (icid, irid, cnum, ...), so its query texts run
// against them once the "varno.dbo." prefix is dropped.
constexpr std::string_view kSql = R"SQL(
CREATE TABLE IF NOT EXISTS schema_version (
  version INTEGER NOT NULL
);

CREATE TABLE IF NOT EXISTS sites (
  site_id TEXT PRIMARY KEY,
  name    TEXT NOT NULL DEFAULT ''
);

-- One row per login account. The six checkpoint texts are NULL for accounts
-- without checkpoint defaults; login answers result digit 1 only when
-- station_code is set.
CREATE TABLE IF NOT EXISTS accounts (
  site_id             TEXT    NOT NULL REFERENCES sites(site_id),
  account             TEXT    NOT NULL,
  password            TEXT    NOT NULL,
  customer_id         INTEGER NOT NULL,
  member_mode         INTEGER NOT NULL DEFAULT 0,
  option_number       INTEGER NOT NULL DEFAULT 1,
  picture_flag        INTEGER NOT NULL DEFAULT 0,
  number_service_flag INTEGER NOT NULL DEFAULT 0,
  short_code          TEXT    NOT NULL DEFAULT '',
  permission_flag     INTEGER NOT NULL DEFAULT 1,
  station_code        TEXT,
  second_code         TEXT,
  place_zh            TEXT,
  detail_zh           TEXT,
  place_en            TEXT,
  detail_en           TEXT,
  PRIMARY KEY (site_id, account)
);

-- Sessions of logins. last_used_at moves on with every transaction (to the
-- second) and decides when a session has been idle too long; login_serial
-- counts an account's logins, so that the newest of one second are known.
CREATE TABLE IF NOT EXISTS sessions (
  session_number INTEGER PRIMARY KEY,
  site_id        TEXT    NOT NULL,
  account        TEXT    NOT NULL,
  customer_id    INTEGER NOT NULL,
  created_at     INTEGER NOT NULL,
  last_used_at   INTEGER NOT NULL DEFAULT 0,
  login_serial   INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS sessions_by_account ON sessions(site_id, account);
CREATE INDEX IF NOT EXISTS sessions_by_last_use ON sessions(last_used_at);

CREATE TABLE IF NOT EXISTS express_kinds (
  site_id    TEXT    NOT NULL,
  code       TEXT    NOT NULL,
  name       TEXT    NOT NULL,
  sort_order INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (site_id, code)
);

-- The destination table of the base data: code, third and fourth field and
-- the two small numbers as the client's destination lines carry them.
CREATE TABLE IF NOT EXISTS destinations (
  seq        INTEGER PRIMARY KEY,
  code       TEXT    NOT NULL UNIQUE,
  name_zh    TEXT    NOT NULL,
  name_en    TEXT    NOT NULL,
  zone_text  TEXT    NOT NULL DEFAULT '',
  digits     TEXT    NOT NULL DEFAULT '',
  small_a    INTEGER NOT NULL DEFAULT 0,
  small_b    INTEGER NOT NULL DEFAULT 0,
  is_country INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE IF NOT EXISTS kind_destinations (
  site_id          TEXT NOT NULL,
  kind_code        TEXT NOT NULL,
  destination_code TEXT NOT NULL REFERENCES destinations(code),
  PRIMARY KEY (site_id, kind_code, destination_code)
);

-- Shared files are served byte for byte, so the content is GBK.
CREATE TABLE IF NOT EXISTS shared_files (
  site_id     TEXT    NOT NULL,
  title       TEXT    NOT NULL,
  content     BLOB    NOT NULL,
  modified_at INTEGER NOT NULL,
  PRIMARY KEY (site_id, title)
);

CREATE TABLE IF NOT EXISTS print_templates (
  site_id     TEXT    NOT NULL,
  name        TEXT    NOT NULL,
  kind        TEXT    NOT NULL DEFAULT '',
  file_name   TEXT    NOT NULL,
  content     BLOB    NOT NULL,
  modified_at INTEGER NOT NULL,
  PRIMARY KEY (site_id, name, file_name)
);

-- Pre-entries uploaded by pre-entry members; irid becomes non-zero once the
-- carrier turned the pre-entry into a record.
CREATE TABLE IF NOT EXISTS rec_pre_input (
  iid INTEGER PRIMARY KEY,
  icid INTEGER NOT NULL,
  irid INTEGER NOT NULL DEFAULT 0,
  local_id INTEGER NOT NULL DEFAULT 0,
  account TEXT NOT NULL DEFAULT '',
  nitemtype INTEGER NOT NULL DEFAULT 0,
  nlanguage INTEGER NOT NULL DEFAULT 0,
  ddate TEXT NOT NULL DEFAULT '',
  dsysdate TEXT NOT NULL DEFAULT '',
  npayway INTEGER NOT NULL DEFAULT 0,
  cemskind TEXT NOT NULL DEFAULT '',
  caddrfrom TEXT NOT NULL DEFAULT '',
  cdes TEXT NOT NULL DEFAULT '',
  cnum TEXT NOT NULL DEFAULT '',
  fweight REAL NOT NULL DEFAULT 0,
  famount REAL NOT NULL DEFAULT 0,
  csender TEXT NOT NULL DEFAULT '',
  creceiver TEXT NOT NULL DEFAULT '',
  cphone TEXT NOT NULL DEFAULT '',
  crunit TEXT NOT NULL DEFAULT '',
  crpost TEXT NOT NULL DEFAULT '',
  craddr TEXT NOT NULL DEFAULT '',
  crcountry TEXT NOT NULL DEFAULT '',
  crcity TEXT NOT NULL DEFAULT '',
  crprovince TEXT NOT NULL DEFAULT '',
  cmark TEXT NOT NULL DEFAULT '',
  cdimension TEXT NOT NULL DEFAULT '',
  frealweight REAL NOT NULL DEFAULT 0,
  cgoods TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  igprice INTEGER NOT NULL DEFAULT 0,
  cpack TEXT NOT NULL DEFAULT '',
  cconsign TEXT NOT NULL DEFAULT '',
  idvalue INTEGER NOT NULL DEFAULT 0,
  iivalue INTEGER NOT NULL DEFAULT 0,
  cmoney TEXT NOT NULL DEFAULT '',
  csunit TEXT NOT NULL DEFAULT '',
  csaddr TEXT NOT NULL DEFAULT '',
  csphone TEXT NOT NULL DEFAULT '',
  cspost TEXT NOT NULL DEFAULT '',
  cscountry TEXT NOT NULL DEFAULT '',
  csprovince TEXT NOT NULL DEFAULT '',
  cscity TEXT NOT NULL DEFAULT '',
  clabel TEXT NOT NULL DEFAULT '',
  cpaydir TEXT NOT NULL DEFAULT '',
  cgorigin TEXT NOT NULL DEFAULT '',
  iitem INTEGER NOT NULL DEFAULT 1,
  fcollect REAL NOT NULL DEFAULT 0,
  fcollectc REAL NOT NULL DEFAULT 0,
  cssms TEXT NOT NULL DEFAULT '',
  fgoodst REAL NOT NULL DEFAULT 0,
  fgoodsc REAL NOT NULL DEFAULT 0,
  cdepart TEXT NOT NULL DEFAULT '',
  csemail TEXT NOT NULL DEFAULT '',
  cremail TEXT NOT NULL DEFAULT '',
  crsms TEXT NOT NULL DEFAULT '',
  cserviceno TEXT NOT NULL DEFAULT '',
  crno TEXT NOT NULL DEFAULT '',
  ccno TEXT NOT NULL DEFAULT '',
  creserve TEXT NOT NULL DEFAULT '',
  ireserve INTEGER NOT NULL DEFAULT 0,
  cextra TEXT NOT NULL DEFAULT '',
  cspare1 TEXT NOT NULL DEFAULT '',
  cspare2 TEXT NOT NULL DEFAULT '',
  cspare3 TEXT NOT NULL DEFAULT '',
  cspare4 TEXT NOT NULL DEFAULT '',
  cspare5 TEXT NOT NULL DEFAULT '',
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS rec_pre_input_by_customer ON rec_pre_input(icid, ddate);
CREATE INDEX IF NOT EXISTS rec_pre_input_by_number ON rec_pre_input(icid, cnum);

CREATE TABLE IF NOT EXISTS rec_pre_input_goods (
  iid INTEGER NOT NULL REFERENCES rec_pre_input(iid) ON DELETE CASCADE,
  wpos INTEGER NOT NULL,
  cgoods TEXT NOT NULL DEFAULT '',
  cunit TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  fprice REAL NOT NULL DEFAULT 0,
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0,
  PRIMARY KEY (iid, wpos)
);

CREATE TABLE IF NOT EXISTS rec_pre_input_item (
  iid INTEGER NOT NULL REFERENCES rec_pre_input(iid) ON DELETE CASCADE,
  wpos INTEGER NOT NULL,
  ilong INTEGER NOT NULL DEFAULT 0,
  iwidth INTEGER NOT NULL DEFAULT 0,
  iheight INTEGER NOT NULL DEFAULT 0,
  iweight INTEGER NOT NULL DEFAULT 0,
  npercent INTEGER NOT NULL DEFAULT 0,
  cno TEXT NOT NULL DEFAULT '',
  famount REAL NOT NULL DEFAULT 0,
  fcost REAL NOT NULL DEFAULT 0,
  ibag INTEGER NOT NULL DEFAULT 0,
  cgoods TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  iprice INTEGER NOT NULL DEFAULT 0,
  crno TEXT NOT NULL DEFAULT '',
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0,
  PRIMARY KEY (iid, wpos)
);

-- Records in the carrier's system: created directly by direct-record
-- members, or from a pre-entry. The fee columns are the settlement parts
-- shown in the record detail.
CREATE TABLE IF NOT EXISTS client_rec (
  irid INTEGER PRIMARY KEY,
  icid INTEGER NOT NULL,
  iid INTEGER NOT NULL DEFAULT 0,
  ifid INTEGER NOT NULL DEFAULT 0,
  local_id INTEGER NOT NULL DEFAULT 0,
  account TEXT NOT NULL DEFAULT '',
  nstate INTEGER NOT NULL DEFAULT 1,
  ibatch INTEGER NOT NULL DEFAULT 0,
  nitemtype INTEGER NOT NULL DEFAULT 0,
  nlanguage INTEGER NOT NULL DEFAULT 0,
  nregion INTEGER NOT NULL DEFAULT 0,
  ddate TEXT NOT NULL DEFAULT '',
  dsysdate TEXT NOT NULL DEFAULT '',
  dsenddate TEXT NOT NULL DEFAULT '',
  dadate TEXT NOT NULL DEFAULT '',
  npayway INTEGER NOT NULL DEFAULT 0,
  cpaydir TEXT NOT NULL DEFAULT '',
  cemskind TEXT NOT NULL DEFAULT '',
  caddrfrom TEXT NOT NULL DEFAULT '',
  cdes TEXT NOT NULL DEFAULT '',
  cnum TEXT NOT NULL DEFAULT '',
  fweight REAL NOT NULL DEFAULT 0,
  famount REAL NOT NULL DEFAULT 0,
  fsprice REAL NOT NULL DEFAULT 0,
  fabase REAL NOT NULL DEFAULT 0,
  faaddon REAL NOT NULL DEFAULT 0,
  facustom REAL NOT NULL DEFAULT 0,
  faget REAL NOT NULL DEFAULT 0,
  facarry REAL NOT NULL DEFAULT 0,
  fasafe REAL NOT NULL DEFAULT 0,
  fapack REAL NOT NULL DEFAULT 0,
  faother REAL NOT NULL DEFAULT 0,
  facheck REAL NOT NULL DEFAULT 0,
  faremote REAL NOT NULL DEFAULT 0,
  faby REAL NOT NULL DEFAULT 0,
  csender TEXT NOT NULL DEFAULT '',
  creceiver TEXT NOT NULL DEFAULT '',
  cphone TEXT NOT NULL DEFAULT '',
  crunit TEXT NOT NULL DEFAULT '',
  crpost TEXT NOT NULL DEFAULT '',
  craddr TEXT NOT NULL DEFAULT '',
  crcountry TEXT NOT NULL DEFAULT '',
  crcity TEXT NOT NULL DEFAULT '',
  crprovince TEXT NOT NULL DEFAULT '',
  cmark TEXT NOT NULL DEFAULT '',
  cdimension TEXT NOT NULL DEFAULT '',
  frealweight REAL NOT NULL DEFAULT 0,
  cgoods TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  igprice INTEGER NOT NULL DEFAULT 0,
  cpack TEXT NOT NULL DEFAULT '',
  cconsign TEXT NOT NULL DEFAULT '',
  idvalue INTEGER NOT NULL DEFAULT 0,
  iivalue INTEGER NOT NULL DEFAULT 0,
  cmoney TEXT NOT NULL DEFAULT '',
  csunit TEXT NOT NULL DEFAULT '',
  csaddr TEXT NOT NULL DEFAULT '',
  csphone TEXT NOT NULL DEFAULT '',
  cspost TEXT NOT NULL DEFAULT '',
  cscountry TEXT NOT NULL DEFAULT '',
  csprovince TEXT NOT NULL DEFAULT '',
  cscity TEXT NOT NULL DEFAULT '',
  clabel TEXT NOT NULL DEFAULT '',
  cgorigin TEXT NOT NULL DEFAULT '',
  iitem INTEGER NOT NULL DEFAULT 1,
  fcollect REAL NOT NULL DEFAULT 0,
  fcollectc REAL NOT NULL DEFAULT 0,
  cssms TEXT NOT NULL DEFAULT '',
  fgoodst REAL NOT NULL DEFAULT 0,
  fgoodsc REAL NOT NULL DEFAULT 0,
  cdepart TEXT NOT NULL DEFAULT '',
  csemail TEXT NOT NULL DEFAULT '',
  cremail TEXT NOT NULL DEFAULT '',
  crsms TEXT NOT NULL DEFAULT '',
  cserviceno TEXT NOT NULL DEFAULT '',
  crno TEXT NOT NULL DEFAULT '',
  ccno TEXT NOT NULL DEFAULT '',
  creserve TEXT NOT NULL DEFAULT '',
  ireserve INTEGER NOT NULL DEFAULT 0,
  cextra TEXT NOT NULL DEFAULT '',
  cspare1 TEXT NOT NULL DEFAULT '',
  cspare2 TEXT NOT NULL DEFAULT '',
  cspare3 TEXT NOT NULL DEFAULT '',
  cspare4 TEXT NOT NULL DEFAULT '',
  cspare5 TEXT NOT NULL DEFAULT '',
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0,
  ctrack_date TEXT NOT NULL DEFAULT '',
  ctrack_place TEXT NOT NULL DEFAULT '',
  ctrack_detail TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS client_rec_by_customer ON client_rec(icid, ddate);
CREATE INDEX IF NOT EXISTS client_rec_by_number ON client_rec(cnum);

CREATE TABLE IF NOT EXISTS client_rec_goods (
  irid INTEGER NOT NULL REFERENCES client_rec(irid) ON DELETE CASCADE,
  wpos INTEGER NOT NULL,
  cgoods TEXT NOT NULL DEFAULT '',
  cunit TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  fprice REAL NOT NULL DEFAULT 0,
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0,
  PRIMARY KEY (irid, wpos)
);

-- Direct members' uploads number every piece 0, so pieces have no key of
-- their own and keep their order by rowid.
CREATE TABLE IF NOT EXISTS client_rec_weight_detail (
  irid INTEGER NOT NULL REFERENCES client_rec(irid) ON DELETE CASCADE,
  wpos INTEGER NOT NULL DEFAULT 0,
  ilong INTEGER NOT NULL DEFAULT 0,
  iwidth INTEGER NOT NULL DEFAULT 0,
  iheight INTEGER NOT NULL DEFAULT 0,
  iweight INTEGER NOT NULL DEFAULT 0,
  npercent INTEGER NOT NULL DEFAULT 0,
  cno TEXT NOT NULL DEFAULT '',
  famount REAL NOT NULL DEFAULT 0,
  fcost REAL NOT NULL DEFAULT 0,
  ibag INTEGER NOT NULL DEFAULT 0,
  cgoods TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  iprice INTEGER NOT NULL DEFAULT 0,
  crno TEXT NOT NULL DEFAULT '',
  cnum TEXT NOT NULL DEFAULT '',
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS client_rec_weight_detail_by_record ON client_rec_weight_detail(irid, wpos);

CREATE TABLE IF NOT EXISTS client_rec_pic (
  irid INTEGER PRIMARY KEY REFERENCES client_rec(irid) ON DELETE CASCADE,
  cpicture TEXT NOT NULL DEFAULT ''
);

-- Checkpoint scans (the scan procedures of every language variant).
CREATE TABLE IF NOT EXISTS cp_check_detail (
  iscan INTEGER PRIMARY KEY,
  icid INTEGER NOT NULL,
  account TEXT NOT NULL DEFAULT '',
  local_id INTEGER NOT NULL DEFAULT 0,
  nlanguage INTEGER NOT NULL DEFAULT 0,
  cnum TEXT NOT NULL,
  cstation TEXT NOT NULL DEFAULT '',
  cnext TEXT NOT NULL DEFAULT '',
  nstatus INTEGER NOT NULL DEFAULT 0,
  dsign TEXT NOT NULL DEFAULT '',
  devent TEXT NOT NULL DEFAULT '',
  cplace_zh TEXT NOT NULL DEFAULT '',
  cdetail_zh TEXT NOT NULL DEFAULT '',
  cplace_en TEXT NOT NULL DEFAULT '',
  cdetail_en TEXT NOT NULL DEFAULT '',
  csigner TEXT NOT NULL DEFAULT '',
  nposition INTEGER NOT NULL DEFAULT 0,
  ncode INTEGER NOT NULL DEFAULT 0,
  dsysdate TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS cp_check_detail_by_number ON cp_check_detail(cnum);

-- Settlements (invoices and check-ins) and their per-record fees.
CREATE TABLE IF NOT EXISTS client_fee (
  ifid INTEGER PRIMARY KEY,
  icid INTEGER NOT NULL,
  ddate TEXT NOT NULL DEFAULT '',
  nkind INTEGER NOT NULL DEFAULT 0,
  famount REAL NOT NULL DEFAULT 0,
  fpaid REAL NOT NULL DEFAULT 0,
  cmark TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS client_fee_by_customer ON client_fee(icid, ddate);

-- How far a customer may ship beyond the settlement balance.
CREATE TABLE IF NOT EXISTS customer_credit (
  icid         INTEGER PRIMARY KEY,
  credit_limit REAL    NOT NULL DEFAULT 0
);

-- Prices per kind, destination and weight step, for the pricing and price
-- query operations. destination_code is a destination's code or its zone
-- (destinations.zone_text); item_type -1 applies to every item type.
CREATE TABLE IF NOT EXISTS prices (
  site_id          TEXT    NOT NULL,
  kind_code        TEXT    NOT NULL,
  destination_code TEXT    NOT NULL,
  item_type        INTEGER NOT NULL DEFAULT -1,
  first_grams      INTEGER NOT NULL,
  first_price      REAL    NOT NULL,
  step_grams       INTEGER NOT NULL,
  step_price       REAL    NOT NULL,
  PRIMARY KEY (site_id, kind_code, destination_code, item_type)
);

-- Waybill number sequences handed out by the number service.
CREATE TABLE IF NOT EXISTS number_sequences (
  site_id   TEXT    NOT NULL,
  kind_code TEXT    NOT NULL,
  prefix    TEXT    NOT NULL DEFAULT '',
  next_value INTEGER NOT NULL,
  last_value INTEGER NOT NULL,
  width     INTEGER NOT NULL DEFAULT 8,
  suffix    TEXT    NOT NULL DEFAULT '',
  PRIMARY KEY (site_id, kind_code)
);
)SQL";

// From version 1: pieces of direct records lose their (irid, wpos) key, and
// scans gain the signer and the two codes.
constexpr std::string_view kFrom1 = R"SQL(
ALTER TABLE client_rec_weight_detail RENAME TO client_rec_weight_detail_v1;
CREATE TABLE client_rec_weight_detail (
  irid INTEGER NOT NULL REFERENCES client_rec(irid) ON DELETE CASCADE,
  wpos INTEGER NOT NULL DEFAULT 0,
  ilong INTEGER NOT NULL DEFAULT 0,
  iwidth INTEGER NOT NULL DEFAULT 0,
  iheight INTEGER NOT NULL DEFAULT 0,
  iweight INTEGER NOT NULL DEFAULT 0,
  npercent INTEGER NOT NULL DEFAULT 0,
  cno TEXT NOT NULL DEFAULT '',
  famount REAL NOT NULL DEFAULT 0,
  fcost REAL NOT NULL DEFAULT 0,
  ibag INTEGER NOT NULL DEFAULT 0,
  cgoods TEXT NOT NULL DEFAULT '',
  iquantity INTEGER NOT NULL DEFAULT 0,
  iprice INTEGER NOT NULL DEFAULT 0,
  crno TEXT NOT NULL DEFAULT '',
  cnum TEXT NOT NULL DEFAULT '',
  cgoodsa TEXT NOT NULL DEFAULT '',
  cgcodea TEXT NOT NULL DEFAULT '',
  cgcodeb TEXT NOT NULL DEFAULT '',
  cgcodec TEXT NOT NULL DEFAULT '',
  fgcustom REAL NOT NULL DEFAULT 0,
  fgcrate REAL NOT NULL DEFAULT 0
);
INSERT INTO client_rec_weight_detail SELECT * FROM client_rec_weight_detail_v1 ORDER BY irid, wpos;
DROP TABLE client_rec_weight_detail_v1;
ALTER TABLE cp_check_detail ADD COLUMN csigner TEXT NOT NULL DEFAULT '';
ALTER TABLE cp_check_detail ADD COLUMN nposition INTEGER NOT NULL DEFAULT 0;
ALTER TABLE cp_check_detail ADD COLUMN ncode INTEGER NOT NULL DEFAULT 0;
)SQL";

// From version 2: sessions learn when they were last used (the sessions of
// before count as used at their login) and the order of an account's logins.
constexpr std::string_view kFrom2 = R"SQL(
ALTER TABLE sessions ADD COLUMN last_used_at INTEGER NOT NULL DEFAULT 0;
ALTER TABLE sessions ADD COLUMN login_serial INTEGER NOT NULL DEFAULT 0;
UPDATE sessions SET last_used_at = created_at;
)SQL";

}  // namespace

std::string_view SchemaSql() { return kSql; }

std::string_view SchemaUpgradeSql(int fromVersion) {
    switch (fromVersion) {
    case 1: return kFrom1;
    case 2: return kFrom2;
    default: return {};
    }
}

}  // namespace tallux::server
