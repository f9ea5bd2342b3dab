# Every text the tool shows through Tr or TrLater has a translation in each
# catalog: the texts are gathered from app/ as a template and each catalog is
# compared with it (msgcmp fails on a text without a translation).
# cmake -DSOURCE_DIR=... -DWORK_DIR=... -P CheckCatalog.cmake
file(GLOB sources ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h)
set(template ${WORK_DIR}/kzmap.pot)
execute_process(
  COMMAND xgettext --from-code=UTF-8 -k -kTr -kTrLater --language=C++ --no-location -o ${template} ${sources}
  RESULT_VARIABLE gathered)
if(NOT gathered EQUAL 0)
  message(FATAL_ERROR "xgettext failed")
endif()
file(GLOB catalogs ${SOURCE_DIR}/po/*.po)
foreach(catalog ${catalogs})
  execute_process(COMMAND msgcmp ${catalog} ${template} RESULT_VARIABLE compared)
  if(NOT compared EQUAL 0)
    message(FATAL_ERROR "${catalog} lacks translations (see above)")
  endif()
endforeach()
