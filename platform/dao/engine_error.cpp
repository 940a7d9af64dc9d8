#include "platform/dao/engine_error.h"

namespace dao {

namespace {

std::string quoted(std::string_view subject) { return "'" + std::string(subject) + "'"; }

}  // namespace

std::string errorDescription(int number, std::string_view subject) {
  switch (number) {
    case error::invalidArgument: return "Invalid argument.";
    case error::updateWithoutEdit: return "Update or CancelUpdate without AddNew or Edit.";
    case error::noCurrentRecord: return "No current record.";
    case error::duplicateValue:
      return "The changes were not saved: the value of field " + quoted(subject) +
             " is already in another record, and the field does not allow duplicates.";
    case error::fileNotFound: return "Could not find file " + quoted(subject) + ".";
    case error::readOnlyObject: return "Cannot update. Database or object is read-only.";
    case error::invalidAccount: return "Not a valid account name or password.";
    case error::diskFailure: return "Disk or network error while using " + quoted(subject) + ".";
    case error::fileInUse: return "Could not use " + quoted(subject) + "; file already in use.";
    case error::damagedDatabase:
      return "Cannot open database " + quoted(subject) + ": the file is damaged or incomplete.";
    case error::cannotOpenForWriting:
      return "Cannot open " + quoted(subject) +
             " for writing: the file is read-only or you have no permission to change it.";
    case error::unknownCriteriaName: return "The criteria name " + quoted(subject) + " is not a field of this recordset.";
    case error::criteriaSyntax: return "Syntax error in criteria: " + std::string(subject);
    case error::tableNotFound: return "Cannot find table or query " + quoted(subject) + ".";
    case error::tableExists: return "Table " + quoted(subject) + " already exists.";
    case error::invalidBookmark: return "Not a valid bookmark.";
    case error::textTooLong:
      return "The field " + quoted(subject) + " is too small to accept the amount of data you attempted to add.";
    case error::fieldNotUpdatable: return "Field " + quoted(subject) + " cannot be updated.";
    case error::recordDeleted: return "Record is deleted.";
    case error::noInstallableFormat: return "Could not find installable ISAM.";
    case error::duplicateFieldName: return "Field " + quoted(subject) + " is defined more than once.";
    case error::writeConflict:
      return "Write conflict: another user changed or deleted this record after you began editing it; your "
             "changes were not saved.";
    case error::databaseExists: return "Database already exists.";
    case error::recordLocked: return "Could not update; the database is locked by another user.";
    case error::unsupportedOperation: return "Operation is not supported for this type of object.";
    case error::invalidFieldType: return "Invalid field data type.";
    case error::itemNotFound: return "Item not found in this collection.";
    case error::propertyNotFound: return "Property not found.";
    case error::valueRequired:
      return "The field " + quoted(subject) + " cannot contain a Null value because it requires a value.";
    case error::notOurDatabase: return "Unrecognized database format " + quoted(subject) + ".";
    case error::numericOverflow: return "Numeric field overflow.";
    case error::duplicateName: return "Cannot append. An object with that name already exists in the collection.";
    case error::objectClosed: return "Object invalid or no longer set.";
    case error::conversionFailed: return "Data type conversion error.";
    default: break;
  }
  if (subject.empty()) return "Unexpected engine error.";
  return "Unexpected engine error: " + std::string(subject);
}

void raise(int number, std::string_view subject) { throw EngineError(number, errorDescription(number, subject)); }

}  // namespace dao
