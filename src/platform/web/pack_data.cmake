# Packs res/, tiles/ and drivers/ into duskwarren.data and its loader script.
# The packer, run on its own, reminds that the program must be linked with
# -sFORCE_FILESYSTEM; ours is (see CMakeLists.txt), so that remark is left
# out and anything else it says is shown.
#   cmake -DPYTHON=... -DPACKER=... -DDATA=... -DLOADER=... -P pack_data.cmake
execute_process(
  COMMAND ${PYTHON} ${PACKER} ${DATA} --preload res tiles drivers --js-output=${LOADER} --no-node
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
string(REGEX REPLACE "Remember to build the main file with `-sFORCE_FILESYSTEM`[^\n]*\n?" "" err
       "${err}")
if(NOT out STREQUAL "")
  message(STATUS "${out}")
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Packing the game's data failed (${status}): ${err}")
elseif(NOT err STREQUAL "")
  message(WARNING "${err}")
endif()
