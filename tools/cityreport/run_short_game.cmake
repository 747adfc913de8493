# Runs the city report for two game days in a fresh copy of the game root.
file(REMOVE_RECURSE ${SCRATCH})
file(COPY ${GAME_ROOT}/ DESTINATION ${SCRATCH} PATTERN "profiles" EXCLUDE PATTERN "*.lock" EXCLUDE)
execute_process(COMMAND ${REPORT} --days 2 --save-each-day --root ${SCRATCH} RESULT_VARIABLE result)
file(REMOVE_RECURSE ${SCRATCH})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the city report found faults (exit ${result})")
endif()
