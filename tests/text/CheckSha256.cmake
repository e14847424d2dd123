file(SHA256 "${FILE}" actual)
if(NOT actual STREQUAL EXPECTED)
    message(FATAL_ERROR "${FILE}: SHA-256 ${actual}, expected ${EXPECTED}")
endif()
