# Delay-loaded system DLLs: a DLL the program needs only after its window is up (the shell, COM, accessibility)
# is loaded at its first call instead of before WinMain, so the first window does not wait for it. A system DLL
# that is not one of Windows' known DLLs is delay-loaded too: the loader helper loads it with LoadLibraryA by
# its bare name, after WinMain has kept such loads to System32, so one put in the program's folder is not used.
#
#   kqm_delay_import(<interface target> <dll> ...)
#
# For each DLL, an import library is made from the toolchain's own (every function it names) with dlltool's delay
# option; <interface target> links them, with the loader helper, ahead of the plain import libraries.
function(kqm_delay_import target)
  if(NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "dlltool is needed for the delay-loaded imports")
  endif()
  add_library(${target} INTERFACE)
  set(dir ${CMAKE_BINARY_DIR}/delay_import)
  file(MAKE_DIRECTORY ${dir})
  foreach(dll IN LISTS ARGN)
    find_library(plain_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    execute_process(COMMAND ${CMAKE_NM} ${plain_${dll}} OUTPUT_VARIABLE symbols ERROR_QUIET
                    COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(SORT imports)
    if(NOT imports)
      message(FATAL_ERROR "No functions found in ${plain_${dll}}")
    endif()
    list(JOIN imports "\n" exports)
    file(CONFIGURE OUTPUT ${dir}/${dll}.def CONTENT "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n" @ONLY)
    add_custom_command(OUTPUT ${dir}/lib${dll}_delay.a
                       COMMAND ${CMAKE_DLLTOOL} --input-def ${dir}/${dll}.def --dllname ${dll}.dll
                               --output-delaylib ${dir}/lib${dll}_delay.a
                       DEPENDS ${dir}/${dll}.def VERBATIM)
    add_custom_target(${target}_${dll} DEPENDS ${dir}/lib${dll}_delay.a)
    add_dependencies(${target} ${target}_${dll})
    target_link_libraries(${target} INTERFACE ${dir}/lib${dll}_delay.a)
  endforeach()
  target_link_libraries(${target} INTERFACE delayimp)
endfunction()
