# The run tree: build/game/bin holds the executable, and beside bin/ the data
# folders the game addresses as "../Config/", "../Levels/" and so on.
set(LV_RUN_TREE ${CMAKE_BINARY_DIR}/game)
set(LV_RUN_BIN ${LV_RUN_TREE}/bin)
file(MAKE_DIRECTORY ${LV_RUN_BIN})

# Copies the hand-written data into the run tree on every build (only what changed).
add_custom_target(lv_data_copy ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/data ${LV_RUN_TREE}
  COMMENT "Copying data/ into the run tree")
