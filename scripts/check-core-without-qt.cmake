# Fails when a file under CORE_DIR includes a Qt header: the core builds and is tested where
# Qt is not installed, and never reaches into the windows.
#   cmake -DCORE_DIR=core -P check-core-without-qt.cmake
file(GLOB_RECURSE sources "${CORE_DIR}/*.h" "${CORE_DIR}/*.cpp" "${CORE_DIR}/*.in")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|Qt)")
  if(hits)
    list(APPEND found "${source}: ${hits}")
  endif()
endforeach()
if(found)
  list(JOIN found "\n" lines)
  message(FATAL_ERROR "The core must not include Qt:\n${lines}")
endif()
