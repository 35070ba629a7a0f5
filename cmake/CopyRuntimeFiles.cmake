# Copies the sound files beside the program, and the delivered score.dat only when there is none.
foreach(name IN LISTS SOUND_FILES)
    if(EXISTS "${SOURCE_DIR}/${name}")
        file(COPY_FILE "${SOURCE_DIR}/${name}" "${TARGET_DIR}/${name}" ONLY_IF_DIFFERENT)
    endif()
endforeach()
if(NOT EXISTS "${TARGET_DIR}/score.dat")
    file(COPY_FILE "${SOURCE_DIR}/score.dat" "${TARGET_DIR}/score.dat")
endif()
