# Compiles the help project in a folder of its own and publishes the result under its final name
# only when chmcmd reported no problem. chmcmd exits 0 even when the project file is missing and
# only warns about a link to a file that is not there, so its output is read as well.
# Arguments: CHMCMD, SOURCE_DIR, SOURCES ('|'-separated, relative to SOURCE_DIR), WORK_DIR,
# PROJECT, COMPILED (the name the project compiles to), OUTPUT.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" sources "${SOURCES}")
file(REMOVE_RECURSE "${WORK_DIR}")
foreach(source IN LISTS sources)
    get_filename_component(folder "${WORK_DIR}/${source}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${SOURCE_DIR}/${source}" "${WORK_DIR}/${source}")
endforeach()

execute_process(
    COMMAND "${CHMCMD}" "${PROJECT}"
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE said
    ERROR_VARIABLE said
)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK_DIR}/${COMPILED}" OR said MATCHES "Warning|Error|rror:")
    message(FATAL_ERROR "chmcmd could not compile the help (exit status ${status}):\n${said}")
endif()

# Never a partly copied file under the final name.
file(COPY_FILE "${WORK_DIR}/${COMPILED}" "${OUTPUT}.part")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
