# The record's bytes and their CP932 text, with no file and no Qt: what score.dat's content goes
# through. Included by record/CMakeLists.txt and by the fuzz target's own project, so that both
# link this one library.
include(${CMAKE_CURRENT_LIST_DIR}/../game/BestScoreValue.cmake)
add_library(zumikko_record_format STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CharacterList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordFieldReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShiftJisCodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Utf8Characters.cpp
)
target_include_directories(zumikko_record_format PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(zumikko_record_format PUBLIC zumikko_best_score)
