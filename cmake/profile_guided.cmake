# Profile-guided optimisation of the engine: an engine built to record
# which branches and calls its runs take runs the bundled example models,
# and the engine is then compiled with that profile, so that the compiler
# lays out and inlines its code for the paths models take. Every
# operation stays as written (no fast-math, no contraction), so the
# results are the same bits with or without it; only the time changes.
#
# The training engine is a build of this source tree of its own (in
# <build>/profile/build), remade whenever a source changes. There is none
# for the sanitizer build, a debug build, a cross build (its engine cannot
# run here) or another compiler than GCC; KELVO_PROFILE_GUIDED=OFF leaves
# it out (a quicker build while the engine is being changed).
option(KELVO_PROFILE_GUIDED "Compile the engine with the profile of training runs (GCC, release builds)" ON)
# Set by the outer build for the training build: the folder its engine
# writes its profile into.
set(KELVO_PROFILE_GENERATE "" CACHE PATH "Build an engine that records its profile in this folder")

set(kelvo_profile_dir "${CMAKE_BINARY_DIR}/profile")
set(kelvo_profile_mode "")
if(KELVO_PROFILE_GENERATE)
  set(kelvo_profile_mode generate)
elseif(KELVO_PROFILE_GUIDED AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_CROSSCOMPILING
       AND NOT KELVO_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
  set(kelvo_profile_mode use)
endif()

if(kelvo_profile_mode STREQUAL "use")
  include(ExternalProject)
  set(training_engine "${kelvo_profile_dir}/build/engine/kelvo")
  ExternalProject_Add(kelvo_training_engine
    SOURCE_DIR "${CMAKE_SOURCE_DIR}"
    BINARY_DIR "${kelvo_profile_dir}/build"
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
               -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
               -DKELVO_TESTS=OFF
               -DKELVO_PROFILE_GENERATE=${kelvo_profile_dir}/data
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target kelvo
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS "${training_engine}"
    INSTALL_COMMAND "")
  file(GLOB training_models CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/examples/*.txt")
  add_custom_command(
    OUTPUT "${kelvo_profile_dir}/trained.stamp"
    COMMAND bash "${CMAKE_SOURCE_DIR}/cmake/train_profile.sh" "${training_engine}"
            "${kelvo_profile_dir}/data" "${kelvo_profile_dir}/runs" ${training_models}
    COMMAND ${CMAKE_COMMAND} -E touch "${kelvo_profile_dir}/trained.stamp"
    DEPENDS "${training_engine}" "${CMAKE_SOURCE_DIR}/cmake/train_profile.sh" ${training_models}
    COMMENT "Training the engine's profile on the example models"
    VERBATIM)
  add_custom_target(kelvo_profile DEPENDS "${kelvo_profile_dir}/trained.stamp")
  add_dependencies(kelvo_profile kelvo_training_engine)
endif()

# Compiles engine target `target` for the build's profile mode: recording
# its profile (training build) or optimised by it.
function(kelvo_profile_guided target)
  if(kelvo_profile_mode STREQUAL "generate")
    target_compile_options(${target} PRIVATE -fprofile-generate=${KELVO_PROFILE_GENERATE}
                           -fprofile-update=single -fprofile-prefix-path=${CMAKE_BINARY_DIR})
    target_link_options(${target} PRIVATE -fprofile-generate)
  elseif(kelvo_profile_mode STREQUAL "use")
    # The profile names each object file by its path in its own build
    # folder; both builds strip the folder. Code the training did not run
    # is compiled as without a profile. A profile would switch the
    # vectoriser on again (compiler_flags.cmake says why it stays off).
    target_compile_options(${target} PRIVATE -fprofile-use=${kelvo_profile_dir}/data
                           -fprofile-prefix-path=${CMAKE_BINARY_DIR} -fprofile-partial-training
                           -Wno-missing-profile -fno-tree-loop-vectorize -fno-tree-slp-vectorize)
    add_dependencies(${target} kelvo_profile)
    # Compiled again whenever the training has run again.
    get_target_property(sources ${target} SOURCES)
    set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES
                                OBJECT_DEPENDS "${kelvo_profile_dir}/trained.stamp")
  endif()
endfunction()
