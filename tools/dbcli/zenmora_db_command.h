#pragma once
// The command-line tool for the program's database files:
//
//   zenmora-db import [--report FILE] [--replace-invalid] [--time-limit SECONDS]
//                     [--memory-limit MIB] OLD.mdb NEW.mdb
//       brings an Access 97 / 2000-2003 (Jet) database across into a new
//       database of the program's own format (see import/jet/guarded_import.h)
//   zenmora-db copy [--replace] [--report FILE] SOURCE TARGET
//       copies a database between a file (or an Access/Jet file) and a
//       PostgreSQL server database (see tools/dbcopy/database_copy.h; its
//       exit codes are those below, 3 aside)
//   zenmora-db build [options] OUTPUT.mdb
//       builds the bundled database (see tools/dbbuild/builder_cli.h)
//
// Exit codes: 0 done; 1 failed or refused (nothing written); 2 the output
// exists already and was not touched; 3 the import stopped at bytes that are
// not Big5 text (nothing written).
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "import/jet/guarded_import.h"

namespace dbcli {

// Reads the arguments after "import". Throws std::invalid_argument with the
// message for the user.
jetimport::ImportCommand parseImportArguments(const std::vector<std::string>& arguments);

// The whole tool: the arguments after the program name.
int runZenmoraDb(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace dbcli
