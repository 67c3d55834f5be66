# Regenerates the icon from its picture and fails if the result differs from the
# committed icon file. Run with -DMAKE_ICON=... -DPICTURE=... -DICON=... -DOUTPUT=...
execute_process(COMMAND ${MAKE_ICON} ${PICTURE} ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "make_icon could not convert ${PICTURE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${ICON} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${ICON} is out of date with ${PICTURE}: "
                      "cmake --build --preset native --target update_icon, then commit both")
endif()
