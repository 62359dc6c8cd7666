# Writes the build stamp of the program into the header named by OUTPUT: the build date and time
# in the form of the compiler's __DATE__ ("Dec  9 2026") and __TIME__ ("22:22:09"), the commit
# built and whether the tree had uncommitted changes.
#
# The stamp is the moment of the commit being built (in UTC), so that every build of one commit,
# on any workstation, carries the same stamp and no build shuts down the copies of the same
# release elsewhere. SOURCE_DATE_EPOCH, when set, gives the moment instead; a tree without git
# history falls back to the moment of the build.
set(commit "")
set(dirty 0)
set(epoch "")
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
endif()
find_program(GIT_PROGRAM git)
if(GIT_PROGRAM AND EXISTS "${SOURCE_DIR}")
  execute_process(COMMAND "${GIT_PROGRAM}" -C "${SOURCE_DIR}" log -1 --format=%ct:%h HEAD
                  OUTPUT_VARIABLE head RESULT_VARIABLE head_failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT head_failed AND head MATCHES "^([0-9]+):([0-9a-f]+)$")
    set(commit "${CMAKE_MATCH_2}")
    if(epoch STREQUAL "")
      set(epoch "${CMAKE_MATCH_1}")
    endif()
    execute_process(COMMAND "${GIT_PROGRAM}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE changes ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT changes STREQUAL "")
      set(dirty 1)
    endif()
  endif()
endif()
if(epoch STREQUAL "")
  string(TIMESTAMP epoch "%s" UTC)
endif()
# string(TIMESTAMP) gives the moment SOURCE_DATE_EPOCH names.
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
string(TIMESTAMP month "%b" UTC)
string(TIMESTAMP day "%d" UTC)
string(TIMESTAMP year "%Y" UTC)
string(TIMESTAMP time "%H:%M:%S" UTC)
string(REGEX REPLACE "^0" " " day "${day}")
file(WRITE "${OUTPUT}.tmp"
     "// Written at every build: the build stamp of this program.\n"
     "#pragma once\n"
     "#define TABEL_BUILD_DATE \"${month} ${day} ${year}\"\n"
     "#define TABEL_BUILD_TIME \"${time}\"\n"
     "#define TABEL_BUILD_COMMIT \"${commit}\"\n"
     "#define TABEL_BUILD_DIRTY ${dirty}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
