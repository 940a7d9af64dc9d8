#include "tests/platform/dao/criteria/postgres/criteria_server_fixture.h"

#include <cstdlib>
#include <map>

#include "platform/dao/typelib/dao_typelib.h"

namespace criteria_server_test {

namespace {

using dao::criteria::CompiledCriteria;
using postgres::PostgresConnection;
using postgres::PostgresError;

enum class Kind { Text, Integer, Real, Guid, Bytes };

struct Column {
  const char* name;
  int daoType;
  const char* sqliteType;
  const char* serverType;
  Kind kind;
};

// In each storage's own representation: GUIDs are 16 bytes in SQLite and
// text on the server, Single is a real on the server and its value widened
// to a double in SQLite.
const std::vector<Column>& columns() {
  static const std::vector<Column> all = {
      {"Txt", dao::dbText, "TEXT", "text", Kind::Text},
      {"Memo", dao::dbMemo, "TEXT", "text", Kind::Text},
      {"B5_Hex", dao::dbText, "TEXT", "text", Kind::Text},
      {"Num", dao::dbLong, "INTEGER", "integer", Kind::Integer},
      {"Small", dao::dbInteger, "INTEGER", "smallint", Kind::Integer},
      {"Byte", dao::dbByte, "INTEGER", "smallint", Kind::Integer},
      {"Flag", dao::dbBoolean, "INTEGER", "smallint", Kind::Integer},
      {"Cost", dao::dbCurrency, "INTEGER", "bigint", Kind::Integer},
      {"Price", dao::dbDouble, "REAL", "double precision", Kind::Real},
      {"Single", dao::dbSingle, "REAL", "real", Kind::Real},
      {"Day", dao::dbDate, "REAL", "double precision", Kind::Real},
      {"Guid", dao::dbGUID, "BLOB", "text", Kind::Guid},
      {"Bin", dao::dbBinary, "BLOB", "bytea", Kind::Bytes},
      {"Code", dao::dbText, "TEXT", "text", Kind::Text},
      {"DayText", dao::dbText, "TEXT", "text", Kind::Text},
      {"Odd \"Name?\"", dao::dbText, "TEXT", "text", Kind::Text},  // a quote and a '?' in a name
  };
  return all;
}

using Row = std::vector<const char*>;  // nullptr is Null; Bin in hexadecimal

// Mixed case Latin, Greek and Cyrillic, Big5 characters, KELVIN SIGN, long s,
// characters beyond the BMP, empty texts, Nulls, numbers and dates as text,
// the edges of each number type. Memo and Code hold valid LIKE patterns
// only: criteria use them as patterns.
const std::vector<Row>& rows() {
  static const std::vector<Row> all = {
      {"Apple", "say \"hi\"", "A4A4", "10", "5", "200", "-1", "15000", "1.5", "1.1", "44196",
       "{12345678-1234-5678-9ABC-DEF012345678}", "616263", "9", "2020-12-31 10:00:00", "q"},
      {"\u00C9COLE", nullptr, "A4A5", "9", "-32768", "0", "0", "1000", "2.25", "-0.5", "44196.416666666664", nullptr,
       nullptr, "10", "2021-01-01", nullptr},
      {"\u00E9cole", "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC", "A4B0", "100", "32767", "1", "1", "-5", "0.1",
       nullptr, nullptr, "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}", "", "abc", "12/31/2020", "Q"},
      {"\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3", "\u041F\u0420\u0418\u0412\u0415\u0422*", "B0A4", nullptr, nullptr,
       nullptr, nullptr, nullptr, "1e300", nullptr, "-1.25", nullptr, "c3a9", " 12 ", "10:30 PM", nullptr},
      {"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2", "\u043F\u0440\u0438\u0432\u0435\u0442", "a4a4", "-2147483648", "-1",
       "255", "5", "-9223372036854775807", "-0.0001", "3.4e38", "0", nullptr, nullptr, "1e3", "1/2/20", nullptr},
      {"50%_off", "*", "50%_off", "0", "0", "0", "0", "0", "0", "0", "-0.5", nullptr, nullptr, "-0",
       "2020-12-31T10:00:00.250", nullptr},
      {"[bracket]", "[a-c]*", "50ab off", "7", nullptr, nullptr, "0", "123456789", "1e15", "1e-5", "2958465.99999",
       nullptr, nullptr, "1.5E-3", "44196", nullptr},
      {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       nullptr, nullptr, nullptr, nullptr},
      {"a?c", "a?c", "A-1", "11", nullptr, nullptr, nullptr, nullptr, "123456789012.25", nullptr, "-700000.75", nullptr,
       nullptr, "9223372036854775808", "2020-02-30", nullptr},
      {"#1", "#*", "#1", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "0.5", nullptr, nullptr, "0x10",
       " 12/31/2020  10:00 AM ", nullptr},
      {"x!", nullptr, "x!", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "",
       "", nullptr},
      {"\u4E00\u4E59\u4E01\u4E2D\u6587", "[!a-z]*", "A440", "12", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       "36526.000011574", nullptr, nullptr, "\uFF11\uFF12", "12:00", nullptr},
      {"\u212Aelvin", "k*", "k1", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       "e4b8ad", "+5", "13:00 PM", nullptr},
      {"\u017Fun", "s*", "S0", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       "5.", "2020-1-5", nullptr},
      {"", "", "", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, ".5",
       "10:30:15.5", nullptr},
      {"\U00010400 \uFF21\uFF22\uFF23", "?*", "\uFF21" "1", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       nullptr, nullptr, nullptr, "1e400", "1899-12-30", nullptr},
      {"Stra\u00DFe \u01C5", nullptr, "\u00DF", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       nullptr, nullptr, "-1.5e-3", "12/30/1899 06:00", nullptr},
      {"a\nb", nullptr, "x@", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       nullptr, "2020-12-31T", nullptr},
      {"x[", nullptr, "x[", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       nullptr, "2020-12-31T 10:00", nullptr},
      {"x_", nullptr, "X`", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       nullptr, "{12345678-1234-5678-9abc-def012345678}", nullptr},
      {"\u0130stanbul", "i*", "\u0130", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
       "12345678-1234-5678-9abc-def012345678", nullptr, nullptr, nullptr, nullptr},
  };
  return all;
}

std::string hexToBytes(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// A GUID's text as its 16 bytes in the Windows layout.
std::string guidBytes(std::string text) {
  std::string hex;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) hex.push_back(c);
  }
  const std::string b = hexToBytes(hex);
  static constexpr int kOrder[] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::string out;
  for (int i : kOrder) out.push_back(b[i]);
  return out;
}

std::string errorKind(const std::string& message) {
  if (message.find("Invalid LIKE pattern") != std::string::npos) return "error: invalid LIKE pattern";
  return "error: other: " + message;
}

std::string idList(const std::vector<std::int64_t>& ids) {
  std::string out = "ids:";
  for (auto id : ids) out += " " + std::to_string(id);
  return out;
}

}  // namespace

std::string runOnSqlite(sqlite3* db, const std::string& table, const CompiledCriteria& compiled) {
  const std::string sql = "SELECT id FROM " + table + " WHERE " + compiled.whereSql + " ORDER BY id";
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) return errorKind(sqlite3_errmsg(db));
  criteria_test::StmtPtr stmt(raw);
  criteria_test::bindAll(stmt.get(), compiled.parameters);
  std::vector<std::int64_t> ids;
  int rc = 0;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(stmt.get(), 0));
  if (rc != SQLITE_DONE) return errorKind(sqlite3_errmsg(db));
  return idList(ids);
}

std::string runOnServer(PostgresConnection& server, const std::string& table, const CompiledCriteria& compiled) {
  std::vector<postgres::Parameter> parameters;
  for (const auto& p : compiled.parameters) parameters.push_back(dao::criteria::postgresParameterText(p));
  try {
    const auto result =
        server.query("SELECT id FROM " + table + " WHERE " + compiled.whereSql + " ORDER BY id", parameters);
    std::vector<std::int64_t> ids;
    for (int r = 0; r < result.rows(); ++r) ids.push_back(result.integer(r, 0));
    return idList(ids);
  } catch (const PostgresError& e) {
    return errorKind(e.what());
  }
}

std::optional<PostgresConnection> connectToTestServer(std::string& skipReason) {
  const char* address = std::getenv("ZENMORA_TEST_POSTGRES");
  if (address == nullptr || *address == '\0') {
    skipReason = "ZENMORA_TEST_POSTGRES is not set; run through tests/support/with_postgres.sh to compare with a server";
    return std::nullopt;
  }
  try {
    return PostgresConnection::open(address);
  } catch (const PostgresError& e) {
    ADD_FAILURE() << "the test server " << address << " is unreachable: " << e.what();
    return std::nullopt;
  }
}

dao::criteria::ColumnResolver awkwardColumns() {
  std::map<std::string, dao::criteria::ResolvedColumn> byName;
  for (const Column& c : columns()) byName[c.name] = {c.name, c.daoType};
  byName["awkward.Txt"] = {"Txt", dao::dbText};
  return criteria_test::resolverFor(byName);
}

void createAwkwardTable(sqlite3* db, PostgresConnection& server) {
  std::string sqliteDdl = "CREATE TABLE awkward(id INTEGER PRIMARY KEY";
  std::string serverDdl = "CREATE TABLE awkward (id bigint PRIMARY KEY";
  std::string serverInsert = "INSERT INTO awkward VALUES ($1::bigint";
  std::string sqliteInsert = "INSERT INTO awkward VALUES (?";
  int n = 1;
  for (const Column& c : columns()) {
    const std::string name = PostgresConnection::quoteIdentifier(c.name);
    sqliteDdl += ", " + name + " " + c.sqliteType;
    serverDdl += ", " + name + " " + c.serverType;
    const std::string placeholder = "$" + std::to_string(++n);
    serverInsert += c.kind == Kind::Bytes ? ", decode(" + placeholder + ", 'hex')"
                                          : ", " + placeholder + "::" + c.serverType;
    sqliteInsert += ", ?";
  }
  criteria_test::exec(db, sqliteDdl + ");");
  criteria_test::exec(db, "CREATE INDEX awkward_hex ON awkward(B5_Hex COLLATE NOCASE);");
  server.execute(serverDdl + ");");
  server.execute("CREATE INDEX ON awkward (lower(\"B5_Hex\" COLLATE \"C\"));");

  auto insert = criteria_test::prepare(db, sqliteInsert + ")");
  std::int64_t id = 0;
  for (const Row& row : rows()) {
    if (row.size() != columns().size()) throw std::logic_error("row " + std::to_string(id + 1) + " has the wrong size");
    ++id;
    sqlite3_reset(insert.get());
    sqlite3_bind_int64(insert.get(), 1, id);
    std::vector<postgres::Parameter> parameters{std::to_string(id)};
    for (std::size_t i = 0; i < columns().size(); ++i) {
      const int index = static_cast<int>(i) + 2;
      const char* value = row.at(i);
      parameters.push_back(value ? postgres::Parameter(value) : std::nullopt);
      if (value == nullptr) {
        sqlite3_bind_null(insert.get(), index);
        continue;
      }
      const std::string text = value;
      switch (columns()[i].kind) {
        case Kind::Text: sqlite3_bind_text(insert.get(), index, text.c_str(), -1, SQLITE_TRANSIENT); break;
        case Kind::Integer: sqlite3_bind_int64(insert.get(), index, std::stoll(text)); break;
        case Kind::Real:
          sqlite3_bind_double(insert.get(), index,
                              columns()[i].daoType == dao::dbSingle ? static_cast<double>(std::stof(text))
                                                                    : std::stod(text));
          break;
        case Kind::Guid: {
          const std::string bytes = guidBytes(text);
          sqlite3_bind_blob(insert.get(), index, bytes.data(), 16, SQLITE_TRANSIENT);
          break;
        }
        case Kind::Bytes: {
          const std::string bytes = hexToBytes(text);
          sqlite3_bind_blob(insert.get(), index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
          break;
        }
      }
    }
    if (sqlite3_step(insert.get()) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    server.query(serverInsert + ")", parameters);
  }
  server.execute("ANALYZE awkward;");
}

}  // namespace criteria_server_test
