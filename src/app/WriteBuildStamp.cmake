# Writes the build date and time as the compiler's __DATE__ ("Dec  9 2026") and __TIME__
# ("22:22:09") would give them, into the header named by OUTPUT.
# With SOURCE_DATE_EPOCH set the compiler gives that moment in UTC, otherwise local time.
set(utc)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(utc UTC)
endif()
string(TIMESTAMP month "%b" ${utc})
string(TIMESTAMP day "%d" ${utc})
string(TIMESTAMP year "%Y" ${utc})
string(TIMESTAMP time "%H:%M:%S" ${utc})
string(REGEX REPLACE "^0" " " day "${day}")
file(WRITE "${OUTPUT}.tmp"
     "// Written at every build: the build stamp texts of this program.\n"
     "#pragma once\n"
     "#define TABEL_BUILD_DATE \"${month} ${day} ${year}\"\n"
     "#define TABEL_BUILD_TIME \"${time}\"\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
