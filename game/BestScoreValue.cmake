# The rule for reading a best score, alone, so that the record format library and the fuzz
# target's own project can link it without the rest of the game.
if(NOT TARGET zumikko_best_score)
    add_library(zumikko_best_score STATIC ${CMAKE_CURRENT_LIST_DIR}/BestScoreValue.cpp)
    target_include_directories(zumikko_best_score PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
