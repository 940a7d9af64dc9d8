#include "import/jet/jet_importer.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

#include "import/jet/batch_writer.h"
#include "import/jet/import_trace.h"
#include "import/jet/jet_reader.h"
#include "import/jet/text_decoder.h"
#include "platform/dao/column_value.h"
#include "platform/dao/database_builder.h"
#include "platform/dao/file_format.h"
#include "schema/schema.h"
#include "tools/dbbuild/lexora_writer.h"

namespace jetimport {
namespace {

constexpr std::size_t kRowsPerBatch = 512;  // small enough to stay in the caches (three exist at once)
constexpr int kLargestTextSize = 255;

struct ColumnPlan {
  std::size_t source = 0;     // index in the Jet table
  std::string destination;    // field name in the new table
  bool text = false;          // decoded as text
  int programSize = 0;        // the program's size for a Text field; 0 for none
  bool measure = false;       // a Memo into a program Text field: measured first
};

struct TablePlan {
  std::size_t source = 0;
  const schema::TableDefinition* program = nullptr;
  dao::TableDefinition definition;
  std::vector<ColumnPlan> columns;
  std::optional<std::size_t> idColumn;  // index into columns
};

bool isTextType(JetColumnType type) { return type == JetColumnType::Text || type == JetColumnType::Memo; }

dao::ColumnDefinition columnFor(const JetColumn& column) {
  dao::ColumnDefinition out;
  out.name = column.name;
  switch (column.type) {
    case JetColumnType::Boolean: out.type = dao::dbBoolean; break;
    case JetColumnType::Byte: out.type = dao::dbByte; break;
    case JetColumnType::Integer: out.type = dao::dbInteger; break;
    case JetColumnType::Long: out.type = dao::dbLong; out.autoIncrement = column.autoNumber; break;
    case JetColumnType::Currency: out.type = dao::dbCurrency; break;
    case JetColumnType::Single: out.type = dao::dbSingle; break;
    case JetColumnType::Double: out.type = dao::dbDouble; break;
    case JetColumnType::Date: out.type = dao::dbDate; break;
    case JetColumnType::Binary: out.type = dao::dbBinary; break;
    case JetColumnType::OleObject: out.type = dao::dbLongBinary; break;
    case JetColumnType::Memo: out.type = dao::dbMemo; break;
    case JetColumnType::Text:
      out.type = dao::dbText;
      out.size = std::clamp(column.sizeInCharacters, 1, kLargestTextSize);
      break;
    // Kept as their text, so no digit is lost.
    case JetColumnType::Guid:
    case JetColumnType::Numeric:
    case JetColumnType::Other: out.type = dao::dbText; out.size = kLargestTextSize; break;
  }
  return out;
}

const schema::TableDefinition* programTableNamed(std::string_view name) {
  for (const schema::TableDefinition& table : schema::allTables())
    if (schema::sameName(table.name, name)) return &table;
  return nullptr;
}

void refuseReservedName(const std::string& name) {
  if (dao::isReservedName(name))
    throw ImportError(fmt::format("the name \"{}\" in the file is reserved by the program's database engine", name));
}

std::string displayId(const TablePlan& plan, const std::vector<JetCell>& cells, std::uint64_t row) {
  if (plan.idColumn) {
    const JetCell& id = cells[plan.columns[*plan.idColumn].source];
    if (!id.isNull) return "ID " + id.value;
  }
  return fmt::format("row {}", row);
}

class Importer {
 public:
  Importer(const std::string& source, const std::string& destination, const ImportOptions& options)
      : reader_(source), decoder_(reader_.isJet3(), reader_.codePage()), options_(options) {
    report_.source = source;
    report_.destination = destination;
    report_.format = reader_.isJet3() ? fmt::format("Jet 3 (Access 97), code page {}", reader_.codePage())
                                      : std::string("Jet 4 (Access 2000-2003), Unicode");
    report_.invalidReplaced = options.replaceInvalid;
    traceStep("child: source opened, catalogue read");
  }

  ImportReport run(const std::string& destination) {
    planTables();
    traceStep("child: tables planned");
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(destination);
    traceStep("child: new file created");
    std::vector<TableTransfer> created;
    for (const schema::TableDefinition& table : schema::allTables()) {
      const auto planned = std::find_if(plans_.begin(), plans_.end(), [&](const TablePlan& p) { return p.program == &table; });
      if (planned != plans_.end()) continue;
      builder.createTable(dbbuild::daoTableDefinition(table));
      report_.missingTables.push_back(std::string(table.name));
      std::uint64_t written = 0;
      for (const classify::LookupTableContent& content : classify::lookupTableContents()) {
        if (content.table != table.name) continue;
        dbbuild::writeLookupTable(builder, content);
        written = static_cast<std::uint64_t>(content.rowCount);
      }
      created.push_back({"", std::string(table.name), 0, written, true});
    }
    traceStep("child: missing tables created and filled");
    for (TablePlan& plan : plans_) builder.createTable(plan.definition);
    traceStep("child: tables created");
    for (TablePlan& plan : plans_) {
      copyRows(builder, plan);
      traceStep("child: table copied");
    }
    report_.tables.insert(report_.tables.end(), created.begin(), created.end());
    if (!report_.invalidBytes.empty() && !options_.replaceInvalid) throw InvalidTextError(report_);
    builder.commit(options_.callerSyncs ? dao::DatabaseBuilder::Sync::byCaller : dao::DatabaseBuilder::Sync::beforeNaming);
    traceStep("child: committed");
    return report_;
  }

 private:
  void planTables() {
    const std::vector<JetTable>& tables = reader_.tables();
    bool anyProgramTable = false;
    for (std::size_t t = 0; t < tables.size(); ++t) {
      const JetTable& source = tables[t];
      TablePlan plan;
      plan.source = t;
      plan.program = programTableNamed(source.name);
      std::vector<bool> used(source.columns.size(), false);
      if (plan.program) {
        anyProgramTable = true;
        plan.definition = dbbuild::daoTableDefinition(*plan.program);
        for (dao::ColumnDefinition& column : plan.definition.columns) {
          const auto found = std::find_if(source.columns.begin(), source.columns.end(),
                                          [&](const JetColumn& c) { return schema::sameName(c.name, column.name); });
          if (found == source.columns.end()) {
            if (!column.autoIncrement)
              report_.missingColumns.push_back(fmt::format("{}.{}", plan.program->name, column.name));
            continue;
          }
          const auto index = static_cast<std::size_t>(found - source.columns.begin());
          used[index] = true;
          ColumnPlan columnPlan{index, column.name, isTextType(found->type), 0, false};
          if (column.type == dao::dbText) {
            columnPlan.programSize = column.size;
            if (found->type == JetColumnType::Text && found->sizeInCharacters > column.size) {
              report_.widenedFields.push_back(fmt::format("{}.{}: size {} -> {} (the source's size)", plan.program->name,
                                                          column.name, column.size, found->sizeInCharacters));
              column.size = std::min(found->sizeInCharacters, kLargestTextSize);
            } else if (found->type != JetColumnType::Text) {
              columnPlan.measure = true;
            }
          }
          if (column.autoIncrement) plan.idColumn = plan.columns.size();
          plan.columns.push_back(columnPlan);
        }
      } else {
        refuseReservedName(source.name);
        plan.definition.name = source.name;
        report_.extraTables.push_back(source.name);
      }
      bool haveAutoIncrement = std::any_of(plan.definition.columns.begin(), plan.definition.columns.end(),
                                           [](const dao::ColumnDefinition& c) { return c.autoIncrement; });
      for (std::size_t c = 0; c < source.columns.size(); ++c) {
        if (used[c]) continue;
        const JetColumn& column = source.columns[c];
        refuseReservedName(column.name);
        dao::ColumnDefinition definition = columnFor(column);
        if (definition.autoIncrement && haveAutoIncrement) definition.autoIncrement = false;
        haveAutoIncrement = haveAutoIncrement || definition.autoIncrement;
        if (definition.autoIncrement) plan.idColumn = plan.columns.size();
        plan.definition.columns.push_back(definition);
        plan.columns.push_back({c, column.name, isTextType(column.type), 0, false});
        if (plan.program) report_.extraColumns.push_back(fmt::format("{}.{}", plan.program->name, column.name));
      }
      if (plan.definition.columns.empty())
        throw ImportError(fmt::format("the table \"{}\" has no columns", source.name));
      plans_.push_back(std::move(plan));
    }
    if (!anyProgramTable) {
      std::string names;
      for (const schema::TableDefinition& table : schema::allTables()) names += (names.empty() ? "" : ", ") + std::string(table.name);
      throw ImportError("it holds none of the program's tables (" + names + ")");
    }
    for (TablePlan& plan : plans_) measureMemos(plan);
  }

  // A Memo column copied into a program Text field: the field is made as
  // large as the longest text, or a Memo when that exceeds a Text field.
  void measureMemos(TablePlan& plan) {
    std::vector<std::size_t> measured;
    for (std::size_t i = 0; i < plan.columns.size(); ++i)
      if (plan.columns[i].measure) measured.push_back(i);
    if (measured.empty()) return;
    std::vector<std::size_t> longest(measured.size(), 0);
    std::vector<TextFinding> ignored;
    reader_.readRows(plan.source, [&](const std::vector<JetCell>& cells) {
      for (std::size_t m = 0; m < measured.size(); ++m) {
        const JetCell& cell = cells[plan.columns[measured[m]].source];
        if (cell.isNull) continue;
        ignored.clear();
        longest[m] = std::max(longest[m], dao::characterCount(decoder_.decode(cell.value, ignored)));
      }
      return true;
    });
    for (std::size_t m = 0; m < measured.size(); ++m) {
      ColumnPlan& columnPlan = plan.columns[measured[m]];
      for (dao::ColumnDefinition& column : plan.definition.columns) {
        if (column.name != columnPlan.destination || static_cast<int>(longest[m]) <= column.size) continue;
        const std::string was = fmt::format("{}.{}: size {}", plan.definition.name, column.name, column.size);
        if (longest[m] > static_cast<std::size_t>(kLargestTextSize)) {
          column.type = dao::dbMemo;
          column.size = 0;
          report_.widenedFields.push_back(was + fmt::format(" -> Memo (texts of up to {} characters)", longest[m]));
        } else {
          column.size = static_cast<int>(longest[m]);
          report_.widenedFields.push_back(was + fmt::format(" -> {} (the longest text)", longest[m]));
        }
      }
    }
  }

  void copyRows(dao::DatabaseBuilder& builder, TablePlan& plan) {
    const JetTable& source = reader_.tables()[plan.source];
    TableTransfer transfer{source.name, plan.definition.name, 0, 0, plan.program != nullptr};
    std::vector<std::string> names;
    for (const ColumnPlan& column : plan.columns) names.push_back(column.destination);
    RowBatch batch;
    batch.reserve(kRowsPerBatch);
    std::vector<TextFinding> findings;
    // Until finish() the builder belongs to the writer's thread.
    BatchWriter writer([&](const RowBatch& rows) {
      builder.insertRowsKeepingKeys(plan.definition.name, names, rows);
      transfer.rowsWritten += rows.size();
    });
    const auto flush = [&] {
      if (batch.empty()) return;
      writer.submit(std::move(batch));
      batch = RowBatch();
      batch.reserve(kRowsPerBatch);
    };
    reader_.readRows(plan.source, [&](const std::vector<JetCell>& cells) {
      ++transfer.rowsRead;
      std::vector<dao::CellValue> row;
      row.reserve(plan.columns.size());
      for (const ColumnPlan& column : plan.columns) {
        const JetCell& cell = cells[column.source];
        if (cell.isNull) {
          row.emplace_back(std::nullopt);
          continue;
        }
        if (!column.text) {
          row.emplace_back(cell.value);
          continue;
        }
        findings.clear();
        std::string text = decoder_.decode(cell.value, findings);
        if (!findings.empty() || (column.programSize > 0 && text.size() > static_cast<std::size_t>(column.programSize)))
          noteValue(plan, cells, transfer.rowsRead, column, text, findings);
        row.emplace_back(std::move(text));
      }
      batch.push_back(std::move(row));
      if (batch.size() == kRowsPerBatch) flush();
      if (options_.progress && transfer.rowsRead % 10000 == 0) options_.progress(transfer.destination, transfer.rowsRead);
      return true;
    });
    flush();
    writer.finish();
    if (options_.progress) options_.progress(transfer.destination, transfer.rowsRead);
    report_.tables.push_back(transfer);
  }

  void noteValue(const TablePlan& plan, const std::vector<JetCell>& cells, std::uint64_t row, const ColumnPlan& column,
                 const std::string& text, const std::vector<TextFinding>& findings) {
    const std::string table = plan.definition.name;
    const std::string id = displayId(plan, cells, row);
    for (const TextFinding& finding : findings) {
      ValueNote note{table, id, column.destination, finding.detail};
      switch (finding.kind) {
        case TextFinding::Kind::UserDefined: report_.userDefinedCharacters.push_back(std::move(note)); break;
        case TextFinding::Kind::Invalid: report_.invalidBytes.push_back(std::move(note)); break;
        case TextFinding::Kind::OutsideBig5: report_.outsideBig5.push_back(std::move(note)); break;
      }
    }
    const std::size_t characters = dao::characterCount(text);
    if (column.programSize > 0 && characters > static_cast<std::size_t>(column.programSize))
      report_.longerThanField.push_back(
          {table, id, column.destination,
           fmt::format("{} characters, the program's field holds {}", characters, column.programSize)});
  }

  JetReader reader_;
  TextDecoder decoder_;
  const ImportOptions& options_;
  ImportReport report_;
  std::vector<TablePlan> plans_;
};

}  // namespace

ImportReport importJetFile(const std::string& source, const std::string& destination, const ImportOptions& options) {
  Importer importer(source, destination, options);
  return importer.run(destination);
}

}  // namespace jetimport
