#include "platform/dao/column_binding.h"

#include "platform/dao/typelib/dao_typelib.h"

namespace dao {

using automation::Variant;

std::string_view sqlColumnType(int daoType) noexcept {
  switch (daoType) {
    case dbText:
    case dbMemo: return "TEXT";
    case dbBinary:
    case dbLongBinary: return "BLOB";
    case dbSingle:
    case dbDouble:
    case dbDate: return "REAL";
    default: return "INTEGER";
  }
}

Variant readStoredValue(const SqliteStatement& statement, int index, const ColumnSchema& column) {
  if (statement.isNull(index)) return Variant::null();
  switch (column.daoType) {
    case dbBoolean: return Variant(statement.integer(index) != 0);
    case dbByte:
    case dbInteger: return Variant(static_cast<std::int16_t>(statement.integer(index)));
    case dbLong: return Variant(static_cast<int>(statement.integer(index)));
    case dbCurrency: return Variant(automation::Currency{statement.integer(index)});
    case dbSingle:
    case dbDouble: return Variant(statement.real(index));
    case dbDate: return Variant(automation::Date{statement.real(index)});
    case dbBinary:
    case dbLongBinary: {
      const std::string_view bytes = statement.blob(index);
      return Variant(automation::ByteArray(bytes.begin(), bytes.end()));
    }
    default: return Variant(std::string(statement.text(index)));
  }
}

void readStoredValueInto(const SqliteStatement& statement, int index, const ColumnSchema& column, Variant& value) {
  if (column.isText()) {
    // The common case, without a temporary: text columns hold text or Null
    // (SQLite gives no text pointer for Null).
    if (const auto* text = sqlite3_column_text(statement.handle(), index)) {
      value.assignText(std::string_view(reinterpret_cast<const char*>(text),
                                        static_cast<std::size_t>(sqlite3_column_bytes(statement.handle(), index))));
    } else {
      value.assignNull();
    }
    return;
  }
  value = readStoredValue(statement, index, column);
}

void bindStoredValue(SqliteStatement& statement, int index, const Variant& stored, const ColumnSchema& column) {
  if (stored.isNull()) {
    statement.bindNull(index);
    return;
  }
  switch (column.daoType) {
    case dbBoolean: statement.bindInteger(index, stored.asBoolean() ? 1 : 0); break;
    case dbByte:
    case dbInteger:
    case dbLong: statement.bindInteger(index, stored.asInt32()); break;
    case dbCurrency: statement.bindInteger(index, stored.asCurrency().scaled); break;
    case dbSingle:
    case dbDouble: statement.bindDouble(index, stored.asDouble()); break;
    case dbDate: statement.bindDouble(index, stored.asDate().days); break;
    case dbBinary:
    case dbLongBinary: {
      const automation::ByteArray bytes = stored.asBytes();
      statement.bindBlob(index, bytes.data(), bytes.size());
      break;
    }
    default:
      if (const std::string* text = stored.textIf()) {
        statement.bindText(index, *text);
      } else {
        statement.bindText(index, stored.asText());
      }
  }
}

}  // namespace dao
