# The benchmark's reading of the reel, which the tests check against the game's own drawing.
add_library(zumikko_reel_pattern STATIC ${CMAKE_CURRENT_LIST_DIR}/ReelPattern.cpp)
target_include_directories(zumikko_reel_pattern PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zumikko_reel_pattern PUBLIC Qt6::Gui)
