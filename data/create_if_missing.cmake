# Creates TABLE from SOURCES (a schema and maybe a CSV) into OUT with DBFTOOL, unless TABLE is
# already there: an empty agent table is delivered once and then belongs to the agent.
if(EXISTS "${TABLE}")
    return()
endif()
execute_process(COMMAND "${DBFTOOL}" create ${SOURCES} --out "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dbftool could not create ${TABLE}")
endif()
