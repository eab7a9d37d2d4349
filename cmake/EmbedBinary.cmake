# Fills a form template: every {@NAME@} becomes the bytes of the file BINARIES names for NAME,
# in hexadecimal. Run as: cmake -DIN=t.form.in -DOUT=t.form "-DBINARIES=NAME=path|..." -P ...
string(REPLACE "|" ";" BINARIES "${BINARIES}")
foreach(entry ${BINARIES})
  string(REGEX MATCH "^[^=]*" name "${entry}")
  string(REGEX REPLACE "^[^=]*=" "" path "${entry}")
  file(READ ${path} hex HEX)
  string(TOUPPER "${hex}" ${name})
endforeach()
configure_file(${IN} ${OUT} @ONLY)
