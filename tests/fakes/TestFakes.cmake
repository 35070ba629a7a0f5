# The fakes the tests hand to the game, and the reel benchmark too: a clock, a view, devices.
add_library(zumikko_test_fakes INTERFACE)
target_include_directories(zumikko_test_fakes INTERFACE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(zumikko_test_fakes INTERFACE zumikko_core)
