# Embeds the reference text files into a C++ source as byte arrays.
#
#   cmake -DOUTPUT=<file.cpp> -DTREE=<concept_tree.txt> -DTABLE=<concept_table.txt> -P embed_texts.cmake
#
# Each file must end with one LF after its last line; that LF is left out, so
# the embedded text has no line break after its last line. A file without the
# final LF, or with a CR anywhere, is refused: either would silently change
# the number or the content of the lines the panes show.

function(embed_file path symbol out_var)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  if(hex_length LESS 2)
    message(FATAL_ERROR "${path}: empty file")
  endif()
  math(EXPR last "${hex_length} - 2")
  string(SUBSTRING "${hex}" ${last} 2 last_byte)
  if(NOT last_byte STREQUAL "0a")
    message(FATAL_ERROR "${path}: the last line must end with a line feed")
  endif()
  string(SUBSTRING "${hex}" 0 ${last} hex)
  string(REGEX MATCHALL ".." bytes "${hex}")
  list(FIND bytes "0d" cr)
  if(NOT cr EQUAL -1)
    message(FATAL_ERROR "${path}: carriage return found; lines must end with LF only")
  endif()
  list(LENGTH bytes size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," array "${hex}")
  # Break the initialiser into lines of 32 bytes to keep the source readable.
  string(REGEX REPLACE "((0x..,){32})" "\\1\n    " array "${array}")
  set(${out_var} "extern const unsigned char ${symbol}[] = {\n    ${array}0x00};\nextern const std::size_t ${symbol}Size = ${size};\n" PARENT_SCOPE)
endfunction()

embed_file("${TREE}" kConceptTree tree_source)
embed_file("${TABLE}" kConceptTable table_source)

set(content "// Generated from the reference text files by embed_texts.cmake; do not edit.\n#include <cstddef>\n\nnamespace reference::embedded {\n\n${tree_source}\n${table_source}\n}  // namespace reference::embedded\n")

# Rewrite only on change so that an unchanged text does not trigger a rebuild.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
