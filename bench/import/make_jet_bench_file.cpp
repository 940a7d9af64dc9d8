// Writes a Big5 Jet 3 file of ROWS character records for the import
// benchmark: make_jet_bench_file OUTPUT.mdb ROWS
#include <iostream>
#include <string>

#include "tests/import/jet_test_files.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_jet_bench_file OUTPUT.mdb ROWS\n";
    return 1;
  }
  try {
    jettest::makeLargeBig5Jet3File(argv[1], "0_Data_Input", jettest::characterTableColumns(), std::stoul(argv[2]),
                                   jettest::benchmarkRow);
  } catch (const std::exception& e) {
    std::cerr << "make_jet_bench_file: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
