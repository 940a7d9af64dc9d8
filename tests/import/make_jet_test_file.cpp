// Writes the Big5 Jet 3 test file (see jet_test_files.h) for the scripted
// session: make_jet_test_file OUTPUT.mdb
#include <iostream>

#include "tests/import/jet_test_files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_jet_test_file OUTPUT.mdb\n";
    return 1;
  }
  try {
    jettest::makeBig5Jet3File(argv[1], "0_Data_Input", jettest::characterTableColumns(), jettest::fidelityRows());
  } catch (const std::exception& e) {
    std::cerr << "make_jet_test_file: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
