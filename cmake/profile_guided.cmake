# Profile-guided optimisation of the engine (KELVO_PROFILE_GUIDED, the
# `release` preset): an engine built to record which branches and calls
# its runs take runs the bundled example models, and the engine is then
# compiled with that profile, so that the compiler lays out and inlines
# its code for the paths models take. Every operation stays as written
# (no fast-math, no contraction), so the results are the same bits with
# or without it; only the time changes.
#
# The training engine is the engine's folder added a second time, its
# targets named `<target>_training` (in <build>/profile/training), made
# from the same sources with the same flags: one build tool schedules
# every compile of both under one job count, and the user's flags reach
# both engines alike (a profile only fits code compiled the same way).
# Any change to an engine source trains again and compiles the whole
# engine anew, so the option is off by default, where an edit costs one
# file's compile.
option(KELVO_PROFILE_GUIDED "Compile the engine with the profile of training runs (GCC, native builds)" OFF)

set(kelvo_profile_dir "${CMAKE_BINARY_DIR}/profile")
if(KELVO_PROFILE_GUIDED AND (NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CROSSCOMPILING))
  message(FATAL_ERROR "KELVO_PROFILE_GUIDED needs GCC compiling for this machine: "
                      "the training engine runs here while the engine is built")
endif()

# Compiles engine target `target` for the build's profile mode: to record
# its profile (a target of the training engine) or optimised by it.
function(kelvo_profile_guided target)
  if(NOT KELVO_PROFILE_GUIDED)
    return()
  endif()
  # The profile names each object file by its path; each target strips
  # its own object folder (CMakeFiles/<target>.dir), so that an engine
  # object and its training twin, in folders named for their targets,
  # name the same profile file (io#channel_table.cpp.gcda, ...).
  set(prefix "-fprofile-prefix-path=${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.dir")
  if(kelvo_target_suffix)
    target_compile_options(${target} PRIVATE -fprofile-generate=${kelvo_profile_dir}/data
                           -fprofile-update=single ${prefix})
    target_link_options(${target} PUBLIC -fprofile-generate)
  else()
    # Code the training did not run is compiled as without a profile. A
    # profile would switch the vectoriser on again (compiler_flags.cmake
    # says why it stays off).
    target_compile_options(${target} PRIVATE -fprofile-use=${kelvo_profile_dir}/data ${prefix}
                           -fprofile-partial-training -Wno-missing-profile
                           -fno-tree-loop-vectorize -fno-tree-slp-vectorize)
    add_dependencies(${target} kelvo_profile)
    # Compiled again whenever the training has run again. (The training
    # engine's targets sit in a folder of their own, so this property of
    # the sources does not reach them.)
    get_target_property(sources ${target} SOURCES)
    set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES
                                OBJECT_DEPENDS "${kelvo_profile_dir}/trained.stamp")
  endif()
endfunction()

# Adds the training engine, from the engine's folder `engine_dir`, and
# its runs on the example models, which write the profile; target
# kelvo_profile stands for them.
function(kelvo_profile_add_training engine_dir)
  set(kelvo_target_suffix _training)
  add_subdirectory("${engine_dir}" "${kelvo_profile_dir}/training" EXCLUDE_FROM_ALL)
  file(GLOB training_models CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/examples/*.txt")
  add_custom_command(
    OUTPUT "${kelvo_profile_dir}/trained.stamp"
    COMMAND bash "${PROJECT_SOURCE_DIR}/cmake/train_profile.sh" "$<TARGET_FILE:kelvo_training>"
            "${kelvo_profile_dir}/data" "${kelvo_profile_dir}/runs" ${training_models}
    COMMAND ${CMAKE_COMMAND} -E touch "${kelvo_profile_dir}/trained.stamp"
    DEPENDS kelvo_training "${PROJECT_SOURCE_DIR}/cmake/train_profile.sh" ${training_models}
    COMMENT "Training the engine's profile on the example models"
    VERBATIM)
  add_custom_target(kelvo_profile DEPENDS "${kelvo_profile_dir}/trained.stamp")
endfunction()
