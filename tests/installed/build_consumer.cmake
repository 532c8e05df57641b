# Configures and builds the consumer programs against the installed package:
#   cmake -DSOURCE=... -DBINARY=... -DPREFIX=... -DCXX=... -DFLAGS=... -P build_consumer.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DCMAKE_BUILD_TYPE=Release
          -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_COMPILER=${CXX}
          -DCMAKE_CXX_FLAGS=${FLAGS} -DCMAKE_EXE_LINKER_FLAGS=${FLAGS} -DCMAKE_SKIP_RPATH=ON
  RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "the consumer programs do not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j 2 RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the consumer programs do not build")
endif()
