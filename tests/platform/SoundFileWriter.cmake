# The small sound files the media tests and the audio benchmark play.
add_library(zumikko_sound_file_writer STATIC ${CMAKE_CURRENT_LIST_DIR}/SoundFileWriter.cpp)
target_include_directories(zumikko_sound_file_writer PUBLIC ${PROJECT_SOURCE_DIR})
