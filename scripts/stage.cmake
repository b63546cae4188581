# Lays out an installed Kelmoa below STAGE_DIR:
#
#   bin/Kelmoa, bin/kelmoa-tool, bin/notify.wav   always replaced by the current build
#   dic/Dic_EJ.txt                                only when none is there: built from Debian's
#                                                 EDICT, FreeDict and WordNet (EDICT=...,
#                                                 FREEDICT=..., WORDNET=...), or the sample
#                                                 dictionary
#   dic/Phrase_EJ.txt                             only when none is there: built with the
#                                                 dictionary (without EDICT: no phrases)
#   dic_backup/                                   created when missing, never touched
#   txt_shift_jis/*.txt                           sample texts, only those not there yet
#   htm/                                          the help page, when the source tree has one
#
# A dictionary, its backups and texts already in the stage may hold a user's changes, so they
# are never overwritten. Files kept as UTF-8 with LF in the source tree are written as CP932
# with CR LF, the form Kelmoa reads.
#
#   cmake -DSOURCE_DIR=... -DSTAGE_DIR=... -DPROGRAM=... -DTOOL=... -P stage.cmake

foreach(var SOURCE_DIR STAGE_DIR PROGRAM TOOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stage.cmake needs -D${var}=...")
  endif()
endforeach()

find_program(ICONV iconv REQUIRED)

# Writes the UTF-8 text file src to dest as CP932 with CR LF, through a temporary file, so that
# a failed conversion leaves no partial file.
function(write_cp932 src dest)
  file(READ "${src}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(crlf "${dest}.utf8.tmp")
  file(WRITE "${crlf}" "${text}")
  execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP932 "${crlf}"
                  OUTPUT_FILE "${dest}.tmp" RESULT_VARIABLE rc)
  file(REMOVE "${crlf}")
  if(NOT rc EQUAL 0)
    file(REMOVE "${dest}.tmp")
    message(FATAL_ERROR "cannot convert ${src} to CP932")
  endif()
  file(RENAME "${dest}.tmp" "${dest}")
endfunction()

file(MAKE_DIRECTORY "${STAGE_DIR}/bin" "${STAGE_DIR}/dic" "${STAGE_DIR}/dic_backup"
     "${STAGE_DIR}/txt_shift_jis")

file(COPY "${PROGRAM}" "${TOOL}" DESTINATION "${STAGE_DIR}/bin")
if(EXISTS "${SOURCE_DIR}/data/notify.wav")
  file(COPY "${SOURCE_DIR}/data/notify.wav" DESTINATION "${STAGE_DIR}/bin")
endif()

set(dic "${STAGE_DIR}/dic/Dic_EJ.txt")
if(NOT DEFINED EDICT)
  set(EDICT "/usr/share/edict/edict")
endif()
if(NOT DEFINED FREEDICT)
  set(FREEDICT "/usr/share/dictd/freedict-eng-jpn")
endif()
if(NOT DEFINED WORDNET)
  set(WORDNET "/usr/share/wordnet")
endif()
if(NOT EXISTS "${dic}" AND EXISTS "${EDICT}")
  # kelmoa-tool writes the dictionary atomically, so a failed build leaves none behind.
  execute_process(COMMAND "${TOOL}" import-dictionary "${dic}" --edict "${EDICT}"
                          --freedict "${FREEDICT}" --wordnet "${WORDNET}" RESULT_VARIABLE rc)
  if(rc EQUAL 0)
    message(STATUS "stage: built the dictionary ${dic} from ${EDICT}, ${FREEDICT} and ${WORDNET}")
  else()
    message(WARNING "stage: cannot build the dictionary from EDICT, FreeDict and WordNet; "
                    "using the sample")
  endif()
endif()
# A dictionary kept from before there were phrases gets the phrase dictionary alone: built
# beside a dictionary in a scratch folder, which is then dropped.
set(phrases "${STAGE_DIR}/dic/Phrase_EJ.txt")
if(EXISTS "${dic}" AND NOT EXISTS "${phrases}" AND EXISTS "${EDICT}")
  set(scratch "${STAGE_DIR}/dic/.phrases.build")
  file(MAKE_DIRECTORY "${scratch}")
  execute_process(COMMAND "${TOOL}" import-dictionary "${scratch}/Dic_EJ.txt" --edict "${EDICT}"
                          --freedict "${FREEDICT}" --wordnet "${WORDNET}" RESULT_VARIABLE rc)
  if(rc EQUAL 0)
    file(RENAME "${scratch}/Phrase_EJ.txt" "${phrases}")
    message(STATUS "stage: built the phrase dictionary ${phrases}")
  endif()
  file(REMOVE_RECURSE "${scratch}")
endif()
if(NOT EXISTS "${dic}")
  write_cp932("${SOURCE_DIR}/data/sample_dic.txt" "${dic}")
  message(STATUS "stage: wrote the sample dictionary ${dic}")
else()
  message(STATUS "stage: kept the existing dictionary ${dic}")
endif()

# Our own samples (UTF-8 in the source tree), then any texts kept already in CP932.
file(GLOB samples "${SOURCE_DIR}/data/samples/*.txt")
foreach(src IN LISTS samples)
  get_filename_component(name "${src}" NAME)
  if(NOT EXISTS "${STAGE_DIR}/txt_shift_jis/${name}")
    write_cp932("${src}" "${STAGE_DIR}/txt_shift_jis/${name}")
  endif()
endforeach()
file(GLOB texts "${SOURCE_DIR}/data/txt_shift_jis/*.txt")
foreach(src IN LISTS texts)
  get_filename_component(name "${src}" NAME)
  if(NOT EXISTS "${STAGE_DIR}/txt_shift_jis/${name}")
    file(COPY "${src}" DESTINATION "${STAGE_DIR}/txt_shift_jis")
  endif()
endforeach()

foreach(htm "${SOURCE_DIR}/htm" "${SOURCE_DIR}/data/htm")
  if(IS_DIRECTORY "${htm}")
    file(COPY "${htm}/" DESTINATION "${STAGE_DIR}/htm")
  endif()
endforeach()

message(STATUS "stage: Kelmoa is ready in ${STAGE_DIR}")
