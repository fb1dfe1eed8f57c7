# Makes the Debian package into WORK/package with CPack (CONFIG, the build's CPackConfig.cmake)
# and unpacks it into WORK/root.
file(REMOVE_RECURSE "${WORK}")
execute_process(
    COMMAND "${CPACK}" -G DEB --config "${CONFIG}" -B "${WORK}/package"
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cpack failed: ${failed}")
endif()
file(GLOB packages "${WORK}/package/corvanta_*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${WORK}/package, found: ${packages}")
endif()
execute_process(COMMAND dpkg-deb --info "${packages}")
execute_process(COMMAND dpkg-deb -x "${packages}" "${WORK}/root" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "dpkg-deb -x ${packages} failed: ${failed}")
endif()
